#pragma once

#include <QString>

class QAbstractItemModel;
class QDialog;
class QDialogButtonBox;
class QPushButton;
class QTableView;

namespace host {

// The parts the list picker and the lookup share.

// A read-only table that selects whole rows, one at a time, with its
// events filtered by the dialog.
QTableView *makePickerView(QDialog *dialog, const QString &objectName, QAbstractItemModel *model);

// "OK" (btnOk, the default button) and "Cancelar" (btnCancelar, which
// rejects the dialog). The caller decides what OK does.
QDialogButtonBox *makeOkCancel(QDialog *dialog, QPushButton **ok);

} // namespace host
