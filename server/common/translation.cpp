#include "server/common/translation.h"

#include <clocale>
#include <filesystem>
#include <libintl.h>
#include <system_error>
#include <vector>

namespace appserver {
namespace {

constexpr const char *Domain = "ate25400-server";

} // namespace

void initTranslation()
{
    std::setlocale(LC_MESSAGES, "");
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path catalogues =
            program.parent_path().parent_path() / "share" / "locale";
        bindtextdomain(Domain, catalogues.c_str());
    }
    // The messages' own encoding, whatever the character type's locale.
    bind_textdomain_codeset(Domain, "UTF-8");
}

const char *tr(const char *text)
{
    return dgettext(Domain, text);
}

std::string tr(const char *text, std::initializer_list<std::string> arguments)
{
    const std::vector<std::string> values(arguments);
    const std::string pattern = tr(text);
    std::string result;
    result.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && next >= '1' && next <= '9'
            && std::size_t(next - '1') < values.size()) {
            result += values[std::size_t(next - '1')];
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

} // namespace appserver
