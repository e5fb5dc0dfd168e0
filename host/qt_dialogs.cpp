#include "host/qt_dialogs.h"

#include "host/application.h"
#include "host/list_picker_dialog.h"
#include "host/lookup_dialog.h"
#include "host/message_dialog.h"

namespace host {

void QtDialogs::showMessage(MessageKind kind, const QString &text)
{
    MessageDialog box(kind, text, dialogParent());
    box.exec();
}

std::optional<QStringList> QtDialogs::showListPicker(const ListPickRequest &request)
{
    ListPickerDialog dialog(request, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.markedKeys();
}

std::optional<int> QtDialogs::showLookup(const LookupRequest &request)
{
    LookupDialog dialog(request, dialogParent());
    if (dialog.exec() != QDialog::Accepted || dialog.pickedRow() < 0)
        return std::nullopt;
    return dialog.pickedRow();
}

} // namespace host
