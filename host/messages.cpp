#include "host/messages.h"

#include <QCoreApplication>

namespace host {

QStringList translatedMessageLines(const char *context, std::initializer_list<MessageLine> lines)
{
    QStringList table;
    for (const MessageLine &line : lines) {
        table.append(QString::fromLatin1(line.key) + QLatin1Char('|')
                     + QCoreApplication::translate(context, line.text));
    }
    return table;
}

TMessages::TMessages(QObject *parent)
    : QObject(parent)
{
}

void TMessages::setLines(const QStringList &lines)
{
    m_lines = lines;
}

void TMessages::addLine(const QString &line)
{
    m_lines.append(line);
}

QString TMessages::Msg(const QString &key) const
{
    const QString wanted = key.trimmed();
    for (const QString &line : m_lines) {
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        if (bar < 0)
            continue;
        if (QStringView(line).left(bar).trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return line.mid(bar + 1);
    }
    return {};
}

} // namespace host
