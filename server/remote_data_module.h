#pragma once

#include "server/arguments.h"
#include "server/database.h"

#include <functional>
#include <span>
#include <string_view>

namespace appserver {

// One late-bound method: checks its arguments, queries, fills the packet and
// returns the number of rows.
struct RemoteMethod
{
    std::string_view name;
    std::function<Result<std::uint32_t>(Connection &, const Arguments &, pb::DataPacket *)> run;
};

// A remote data module as the client names it ("Unit.Module").
struct RemoteDataModule
{
    std::string_view name;
    std::span<const RemoteMethod> methods;

    const RemoteMethod *find(std::string_view method) const;
};

// ASCII comparison without regard to case.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

} // namespace appserver
