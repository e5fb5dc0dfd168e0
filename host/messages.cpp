#include "messages.h"

namespace host {

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
