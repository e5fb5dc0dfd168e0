#pragma once

#include "host/dialogs.h"

#include <QStringList>

namespace app {

// The dialog service of a run nobody watches (--screenshot): messages go to
// standard error instead of waiting for a click, pickers are cancelled, and
// the errors are kept so that the run can fail with them.
class UnattendedDialogs : public host::Dialogs
{
public:
    const QStringList &errors() const { return m_errors; }

protected:
    void showMessage(host::MessageKind kind, const QString &text) override;
    std::optional<QStringList> showListPicker(const host::ListPickRequest &request) override;
    std::optional<int> showLookup(const host::LookupRequest &request) override;

private:
    QStringList m_errors;
};

} // namespace app
