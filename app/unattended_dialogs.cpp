#include "app/unattended_dialogs.h"

#include <QCoreApplication>

#include <cstdio>

namespace app {

void UnattendedDialogs::showMessage(host::MessageKind kind, const QString &text)
{
    const bool error = kind == host::MessageKind::Error;
    const QString kindText = error ? QCoreApplication::translate("UnattendedDialogs", "erro")
                                   : QCoreApplication::translate("UnattendedDialogs", "aviso");
    std::fprintf(stderr, "ate-host: %s: %s\n", qPrintable(kindText), qPrintable(text));
    std::fflush(stderr);
    if (error)
        m_errors.append(text);
}

std::optional<QStringList> UnattendedDialogs::showListPicker(const host::ListPickRequest &request)
{
    std::fprintf(
        stderr, "ate-host: %s\n",
        qPrintable(QCoreApplication::translate("UnattendedDialogs", "seleção cancelada: %1")
                       .arg(request.title)));
    return std::nullopt;
}

std::optional<int> UnattendedDialogs::showLookup(const host::LookupRequest &request)
{
    std::fprintf(
        stderr, "ate-host: %s\n",
        qPrintable(QCoreApplication::translate("UnattendedDialogs", "pesquisa cancelada: %1")
                       .arg(request.title)));
    return std::nullopt;
}

} // namespace app
