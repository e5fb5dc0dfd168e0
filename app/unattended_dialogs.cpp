#include "unattended_dialogs.h"

#include <cstdio>

namespace app {

void UnattendedDialogs::showMessage(host::MessageKind kind, const QString &text)
{
    const bool error = kind == host::MessageKind::Error;
    std::fprintf(stderr, "ate-host: %s: %s\n", error ? "erro" : "aviso", qPrintable(text));
    std::fflush(stderr);
    if (error)
        m_errors.append(text);
}

std::optional<QStringList> UnattendedDialogs::showListPicker(const host::ListPickRequest &request)
{
    std::fprintf(stderr, "ate-host: seleção cancelada: %s\n", qPrintable(request.title));
    return std::nullopt;
}

std::optional<int> UnattendedDialogs::showLookup(const host::LookupRequest &request)
{
    std::fprintf(stderr, "ate-host: pesquisa cancelada: %s\n", qPrintable(request.title));
    return std::nullopt;
}

}  // namespace app
