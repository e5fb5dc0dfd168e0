#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace host {

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
