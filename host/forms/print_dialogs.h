#pragma once

#include <QObject>

#include <memory>

class QPrinter;
class QWidget;

namespace host {

// The print dialog component: a printer and the dialog that chooses it, both
// made on first use, so that a form that never prints never touches the
// printing system.
class TPrintDialog : public QObject
{
    Q_OBJECT

public:
    explicit TPrintDialog(QObject *parent = nullptr);
    ~TPrintDialog() override;

    QPrinter *printer();

    // Shows the print dialog; true when the user chose to print.
    bool execute(QWidget *parent);

private:
    std::unique_ptr<QPrinter> m_printer;
};

// The printer set-up component: the page set-up dialog over the printer of
// the form's print dialog, so that what is set up here is what prints.
class TPrinterSetupDialog : public QObject
{
    Q_OBJECT

public:
    explicit TPrinterSetupDialog(TPrintDialog *printDialog, QObject *parent = nullptr);

    bool execute(QWidget *parent);

private:
    TPrintDialog *m_printDialog;
};

} // namespace host
