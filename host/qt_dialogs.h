#pragma once

#include "host/dialogs.h"

namespace host {

// The dialog service the user sees: Qt message boxes and the host's list
// picker and lookup dialogs, all application-modal.
class QtDialogs : public Dialogs
{
protected:
    void showMessage(MessageKind kind, const QString &text) override;
    std::optional<QStringList> showListPicker(const ListPickRequest &request) override;
    std::optional<int> showLookup(const LookupRequest &request) override;
};

} // namespace host
