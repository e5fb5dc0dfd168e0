#include "host/forms/print_dialogs.h"

#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace host {
namespace {

// A dialog over the busy cursor would show the hourglass.
void restoreCursor()
{
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

} // namespace

TPrintDialog::TPrintDialog(QObject *parent)
    : QObject(parent)
{
}

TPrintDialog::~TPrintDialog() = default;

QPrinter *TPrintDialog::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_printer.get();
}

bool TPrintDialog::execute(QWidget *parent)
{
    restoreCursor();
    QPrintDialog dialog(printer(), parent);
    dialog.setObjectName(QStringLiteral("dlgImprimir"));
    return dialog.exec() == QDialog::Accepted;
}

TPrinterSetupDialog::TPrinterSetupDialog(TPrintDialog *printDialog, QObject *parent)
    : QObject(parent)
    , m_printDialog(printDialog)
{
}

bool TPrinterSetupDialog::execute(QWidget *parent)
{
    restoreCursor();
    QPageSetupDialog dialog(m_printDialog->printer(), parent);
    dialog.setObjectName(QStringLiteral("dlgConfigurar"));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace host
