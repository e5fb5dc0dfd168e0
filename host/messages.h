#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <initializer_list>

namespace host {

// One line of a form's message table as written in its code: the key the
// code asks for and the text, marked for translation (QT_TRANSLATE_NOOP
// with the form's class name).
struct MessageLine
{
    const char *key;
    const char *text;
};

// The "key|text" lines of a table, each text translated in the form's
// context; only the texts are translated, the keys are what the code asks
// for.
QStringList translatedMessageLines(const char *context, std::initializer_list<MessageLine> lines);

// A form's message table: lines of a key, a vertical bar and a text. Forms
// look their texts up by key, so translations and wording stay out of code.
class TMessages : public QObject
{
    Q_OBJECT

public:
    explicit TMessages(QObject *parent = nullptr);

    void setLines(const QStringList &lines);
    void addLine(const QString &line);
    QStringList lines() const { return m_lines; }

    // The text of the first line whose key matches, ignoring case ("Sit1"
    // finds "SIT1"). A missing key gives an empty text: a lookup never fails,
    // because a message table is read on the way to showing another failure.
    QString Msg(const QString &key) const;

private:
    QStringList m_lines;
};

} // namespace host
