#pragma once

#include <cstdint>
#include <optional>

namespace wire {

// A civil (time-zone free) date-time as it travels on the wire: milliseconds
// since 1899-12-30 00:00:00.000. The zero date-time is 0.
struct CivilDateTime
{
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msec = 0;

    friend bool operator==(const CivilDateTime &, const CivilDateTime &) = default;
};

// Days from 1970-01-01 to the given proleptic Gregorian date.
std::int64_t daysFromCivil(int year, int month, int day);

// True when the fields name a real calendar date and time of day.
bool isValid(const CivilDateTime &dt);

// Milliseconds since the zero date-time; nullopt for an invalid date-time.
std::optional<std::int64_t> toMsecs(const CivilDateTime &dt);

CivilDateTime fromMsecs(std::int64_t msecs);

} // namespace wire
