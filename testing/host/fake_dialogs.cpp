#include "testing/host/fake_dialogs.h"

#include "host/record_set_model.h"
#include "platform/client_data_set.h"

#include <QApplication>
#include <QLayout>
#include <QTest>
#include <QWidget>

namespace host::testing {
namespace {

QStringList visibleLabels(const platform::ClientDataSet *dataSet)
{
    QStringList labels;
    for (const platform::Field *field : pickerFields(dataSet))
        labels.append(field->displayLabel());
    return labels;
}

int rowsOf(const platform::ClientDataSet *dataSet)
{
    return dataSet && dataSet->isActive() ? dataSet->recordCount() : 0;
}

} // namespace

FakeDialogs::FakeDialogs()
{
    setDialogs(this);
}

FakeDialogs::~FakeDialogs()
{
    setDialogs(nullptr);
}

void FakeDialogs::pickRow(int row)
{
    m_answers.append({Answer::Rows, {row}, {}});
}

void FakeDialogs::pickRows(const QList<int> &rows)
{
    m_answers.append({Answer::Rows, rows, {}});
}

void FakeDialogs::pickCodes(const QStringList &codes)
{
    m_answers.append({Answer::Codes, {}, codes});
}

void FakeDialogs::cancel()
{
    m_answers.append({Answer::Cancel, {}, {}});
}

QStringList FakeDialogs::texts() const
{
    QStringList result;
    for (const Message &message : m_messages)
        result.append(message.text);
    return result;
}

void FakeDialogs::clear()
{
    m_messages.clear();
    m_pickers.clear();
    m_answers.clear();
    m_scriptErrors.clear();
}

void FakeDialogs::showMessage(MessageKind kind, const QString &text)
{
    const QWidget *focus = QApplication::focusWidget();
    const Message message{kind, text, focus ? focus->objectName() : QString()};
    m_messages.append(message);
    if (m_onMessage)
        m_onMessage(message);
}

bool FakeDialogs::nextAnswer(const QString &what, Answer &answer)
{
    if (m_answers.isEmpty()) {
        m_scriptErrors.append(QStringLiteral("no answer scripted for %1").arg(what));
        return false;
    }
    answer = m_answers.takeFirst();
    return true;
}

std::optional<QStringList> FakeDialogs::showListPicker(const ListPickRequest &request)
{
    m_pickers.append({Picker::List, request.title, request.keyField, request.marked,
                      rowsOf(request.dataSet), visibleLabels(request.dataSet)});
    Answer answer;
    if (!nextAnswer(QStringLiteral("list picker \"%1\"").arg(request.title), answer))
        return std::nullopt;
    switch (answer.kind) {
    case Answer::Cancel:
        return std::nullopt;
    case Answer::Codes:
        return answer.codes;
    case Answer::Rows:
        break;
    }
    QStringList codes;
    const platform::Field *key =
        request.dataSet ? request.dataSet->findField(request.keyField) : nullptr;
    for (const int row : answer.rows) {
        if (!key || row < 0 || row >= rowsOf(request.dataSet)) {
            m_scriptErrors.append(
                QStringLiteral("list picker \"%1\" has no row %2").arg(request.title).arg(row));
            return std::nullopt;
        }
        codes.append(key->asStringAt(row).trimmed());
    }
    return codes;
}

std::optional<int> FakeDialogs::showLookup(const LookupRequest &request)
{
    m_pickers.append({Picker::Lookup,
                      request.title,
                      {},
                      {},
                      rowsOf(request.dataSet),
                      visibleLabels(request.dataSet)});
    Answer answer;
    if (!nextAnswer(QStringLiteral("lookup \"%1\"").arg(request.title), answer))
        return std::nullopt;
    if (answer.kind == Answer::Cancel)
        return std::nullopt;
    if (answer.kind != Answer::Rows || answer.rows.size() != 1 || answer.rows.first() < 0
        || answer.rows.first() >= rowsOf(request.dataSet)) {
        m_scriptErrors.append(
            QStringLiteral("lookup \"%1\" cannot take the scripted answer").arg(request.title));
        return std::nullopt;
    }
    return answer.rows.first();
}

} // namespace host::testing

namespace host::testing {

bool showActive(QWidget *window)
{
    if (QLayout *layout = window->layout())
        layout->activate();
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

} // namespace host::testing
