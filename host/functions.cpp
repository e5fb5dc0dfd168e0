#include "host/functions.h"

#include "host/dialogs.h"
#include "platform/abort.h"

namespace host {

bool EmptyString(const QString &text)
{
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        switch (c.unicode()) {
        case u'_':
        case u'/':
        case u':':
        case u'.':
        case u'-':
            continue;
        default:
            return false;
        }
    }
    return true;
}

void MensErro(const QString &text, bool abort)
{
    dialogs().error(text);
    if (abort)
        platform::abortSilently();
}

QString Ajusta(const QString &text, int width)
{
    const QString code = text.trimmed().toUpper();
    return width > 0 ? code.left(width) : code;
}

} // namespace host
