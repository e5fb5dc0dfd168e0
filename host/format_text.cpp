#include "host/format_text.h"

namespace host {

QString formatText(const QString &pattern, const QStringList &values)
{
    QString result;
    result.reserve(pattern.size());
    int next = 0;
    for (int i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c != u'%' || i + 1 >= pattern.size()) {
            result += c;
            continue;
        }
        const QChar marker = pattern.at(i + 1);
        if (marker == u'%') {
            result += u'%';
            ++i;
        } else if ((marker == u's' || marker == u'd') && next < values.size()) {
            result += values.at(next++);
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace host
