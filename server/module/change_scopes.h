#pragma once

#include "server/feed/change_log.h"
#include "server/module/queries.h"

#include <optional>
#include <string>
#include <vector>

namespace appserver {

// What a reply read and what a write changed, named alike, so that a host
// can tell which of the replies it keeps a change outdates: a branch's day
// of flight plans, a day's plans of every branch, one flight's passenger
// forecast or its services. The reference tables (airlines, bases,
// classes, services, branches) have no scope: a change to one outdates
// everything.
std::string dayScope(std::string_view branch, std::int64_t date);
std::string everyBranchDayScope(std::int64_t date);
std::string forecastScope(const FlightKey &key);
std::string servicesScope(const FlightKey &key);

// The scopes a logged row outdates; nullopt: everything.
std::optional<std::vector<std::string>> scopesOfChange(const LoggedChange &change);

} // namespace appserver
