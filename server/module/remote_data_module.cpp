#include "server/module/remote_data_module.h"

#include <algorithm>

namespace appserver {

bool sameNameIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(x) == lower(y);
           });
}

// Late-bound names are matched as the client's automation layer matches
// them: without regard to case.
const RemoteMethod *RemoteDataModule::find(std::string_view method) const
{
    for (const RemoteMethod &m : methods) {
        if (sameNameIgnoringCase(m.name, method))
            return &m;
    }
    return nullptr;
}

} // namespace appserver
