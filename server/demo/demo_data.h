#pragma once

#include "server/db/database.h"

#include <cstdint>
#include <string>

namespace appserver::demo {

struct DemoOptions
{
    std::int64_t firstDay = 0; // civil msecs of the first day's midnight
    int days = 31;
    std::uint64_t seed = 25400;
};

struct DemoSummary
{
    int branches = 0;
    int airlines = 0;
    std::int64_t flightPlans = 0;
    std::int64_t forecasts = 0;
    std::int64_t services = 0;
};

// Fills an application-server database (schema brought up to date first,
// previous rows of its tables removed): branches, one of them rescinded;
// twelve airlines, one national; bases, cabin classes, the service
// catalogue; and for every active branch and day 150 to 400 flight plans
// with 2 to 4 classes and 10 to 60 services each. The same options give the
// same data. The rows a user sees first are not left to chance: in the
// server's order, the first five plans of every branch-day carry the five
// situations and both breakdown states, and the first six services of the
// first plan read "Pe", "At", "Ca", "Ca" with an invoice entry, "Cc" and a
// situation shown blank, one of them without stand-by quantity or price.
Result<DemoSummary> writeServerData(Connection &db, const DemoOptions &options);

// The host's local database: table FILIAL (CDFILIAL, NMFILIAL, IDCNTRRESC)
// with the same branches.
Status writeLocalBranches(Connection &db);

// Adds `count` flight plans of one branch-day (for load measurements), each
// with a forecast and `servicesPerFlight` services. The branch must exist.
Result<DemoSummary> addFlightPlans(Connection &db, const std::string &branch, std::int64_t day,
                                   int count, int servicesPerFlight, std::uint64_t seed);

// Today's date in the local time zone, as civil msecs of its midnight.
std::int64_t localToday();

// "YYYY-MM-DD" to civil msecs of that midnight.
Result<std::int64_t> parseDay(const std::string &text);

} // namespace appserver::demo
