#pragma once

#include "host/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace host::testing {

// A dialog service for tests: records every message with the control that
// had the focus when it appeared, and answers pickers from a script.
// Installs itself on construction and puts the real dialogs back when it
// goes away.
class FakeDialogs : public Dialogs
{
public:
    struct Message
    {
        MessageKind kind;
        QString text;
        QString focus; // objectName of the focused widget, empty when none
    };

    struct Picker
    {
        enum Kind { List, Lookup };
        Kind kind;
        QString title;
        QString keyField;   // list picker only
        QStringList marked; // list picker only: the codes it started with
        int rowCount = 0;
        QStringList columns; // display labels of the visible fields
    };

    FakeDialogs();
    ~FakeDialogs() override;

    // Script: one answer per picker or lookup, in the order they appear.
    void pickRow(int row);                    // lookup: that row; list: mark only it
    void pickRows(const QList<int> &rows);    // list: mark these rows
    void pickCodes(const QStringList &codes); // list: answer these codes as given
    void cancel();

    const QList<Message> &messages() const { return m_messages; }
    QStringList texts() const;
    const QList<Picker> &pickers() const { return m_pickers; }
    // Pickers the script did not answer, or answered in a way that does not fit.
    const QStringList &scriptErrors() const { return m_scriptErrors; }
    int pendingAnswers() const { return int(m_answers.size()); }

    // Runs while a message is "on screen", before it is recorded as closed.
    void setOnMessage(std::function<void(const Message &)> handler)
    {
        m_onMessage = std::move(handler);
    }

    void clear();

protected:
    void showMessage(MessageKind kind, const QString &text) override;
    std::optional<QStringList> showListPicker(const ListPickRequest &request) override;
    std::optional<int> showLookup(const LookupRequest &request) override;

private:
    struct Answer
    {
        enum Kind { Rows, Codes, Cancel };
        Kind kind;
        QList<int> rows;
        QStringList codes;
    };

    bool nextAnswer(const QString &what, Answer &answer);

    QList<Message> m_messages;
    QList<Picker> m_pickers;
    QList<Answer> m_answers;
    QStringList m_scriptErrors;
    std::function<void(const Message &)> m_onMessage;
};

} // namespace host::testing

class QWidget;

namespace host::testing {

// Shows a top-level widget and waits until it is the active window, its
// layouts settled first (some platforms refuse size limits that change once
// a window is on screen). False when it never became active.
bool showActive(QWidget *window);

} // namespace host::testing
