#pragma once

#include "server/db/database.h"
#include "server/reply/arguments.h"
#include "server/reply/outgoing_reply.h"

#include <functional>
#include <string_view>
#include <vector>

namespace appserver {

// One late-bound method: checks its arguments, queries, fills the packet (or
// brings the bytes the reply cache kept) and returns the number of rows.
struct RemoteMethod
{
    std::string_view name;
    std::function<Result<std::uint32_t>(Connection &, const Arguments &, ReplyPacket *)> run;
    // What a reply read, as the change feed names changes: a host keeps a
    // reply only with them. Unset: the method's replies are not kept.
    std::function<Result<std::vector<std::string>>(const Arguments &)> scopes;
};

// A remote data module as the client names it ("Unit.Module").
struct RemoteDataModule
{
    std::string_view name;
    std::vector<RemoteMethod> methods;

    const RemoteMethod *find(std::string_view method) const;
};

// ASCII comparison without regard to case.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

} // namespace appserver
