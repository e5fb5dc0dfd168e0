#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {
class ClientDataSet;
}

namespace host {

enum class MessageKind { Error, Information };

// The list picker: the user marks rows of a record set; the answer is the
// key codes of the marked rows, in row order.
struct ListPickRequest
{
    QString title;
    platform::ClientDataSet *dataSet = nullptr;
    QString keyField;
    QStringList marked; // key codes that start marked
};

// The lookup: the user picks one row of a record set.
struct LookupRequest
{
    QString title;
    platform::ClientDataSet *dataSet = nullptr;
};

// Every message box and picker the user sees goes through here, so that a
// test can record them and answer them.
class Dialogs
{
public:
    virtual ~Dialogs();

    // Each of these first clears the busy (override) cursor, or the box
    // would show the wait cursor.
    void error(const QString &text);
    void information(const QString &text);
    // nullopt when the user cancels.
    std::optional<QStringList> pickList(const ListPickRequest &request);
    // The picked row (0-based), nullopt when the user cancels.
    std::optional<int> lookup(const LookupRequest &request);

protected:
    virtual void showMessage(MessageKind kind, const QString &text) = 0;
    virtual std::optional<QStringList> showListPicker(const ListPickRequest &request) = 0;
    virtual std::optional<int> showLookup(const LookupRequest &request) = 0;
};

// The service in use: the one installed by setDialogs(), else real Qt dialogs.
Dialogs &dialogs();

// Installs a service (not owned); null puts the real dialogs back.
void setDialogs(Dialogs *service);

// Routes platform::showError (failures that reach the event loop through
// platform::guarded) to dialogs().error(). Done when the library loads;
// call again after replacing the platform's error display.
void installErrorDisplay();

} // namespace host
