#include "host/picker_parts.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

namespace host {

QTableView *makePickerView(QDialog *dialog, const QString &objectName, QAbstractItemModel *model)
{
    auto *view = new QTableView(dialog);
    view->setObjectName(objectName);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    view->resizeColumnsToContents();
    view->installEventFilter(dialog);
    return view;
}

QDialogButtonBox *makeOkCancel(QDialog *dialog, QPushButton **ok)
{
    auto *buttons = new QDialogButtonBox(dialog);
    *ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    (*ok)->setObjectName(QStringLiteral("btnOk"));
    (*ok)->setDefault(true);
    QPushButton *cancel = buttons->addButton(QCoreApplication::translate("PickerParts", "Cancelar"),
                                             QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancelar"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace host
