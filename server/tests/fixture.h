#pragma once

#include "server/tests/test_database.h"

namespace appserver::testing {

// The fixture's day: 2024-05-10. Branch GRU has seven plans on it, one with
// no departure time, two at the day's very first and last millisecond;
// plans on the days around it and on branch POA must never show up.
std::int64_t fixtureDay();

// The flight whose forecast and services the fixture details:
// JJ / GRU / 3054 / 01 / 2024-05-10 09:30.
std::int64_t detailedFlightAt();

void loadFixture(Connection &db);

} // namespace appserver::testing
