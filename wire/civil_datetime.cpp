#include "wire/civil_datetime.h"

#include <chrono>

namespace wire {
namespace {

namespace chr = std::chrono;

// 1899-12-30 counted from 1970-01-01.
constexpr chr::sys_days kZeroDay = chr::year{1899} / chr::December / 30;

chr::year_month_day civilDate(int year, int month, int day)
{
    return chr::year{year} / chr::month{static_cast<unsigned>(month)}
           / chr::day{static_cast<unsigned>(day)};
}

} // namespace

std::int64_t daysFromCivil(int year, int month, int day)
{
    return chr::sys_days(civilDate(year, month, day)).time_since_epoch().count();
}

bool isValid(const CivilDateTime &dt)
{
    if (dt.year < 1 || dt.year > 9999 || dt.month < 1 || dt.month > 12 || dt.day < 1 || dt.day > 31)
        return false;
    if (!civilDate(dt.year, dt.month, dt.day).ok())
        return false;
    return dt.hour >= 0 && dt.hour < 24 && dt.minute >= 0 && dt.minute < 60 && dt.second >= 0
           && dt.second < 60 && dt.msec >= 0 && dt.msec < 1000;
}

std::optional<std::int64_t> toMsecs(const CivilDateTime &dt)
{
    if (!isValid(dt))
        return std::nullopt;
    const chr::sys_days date(civilDate(dt.year, dt.month, dt.day));
    const auto time = chr::hours{dt.hour} + chr::minutes{dt.minute} + chr::seconds{dt.second}
                      + chr::milliseconds{dt.msec};
    return chr::duration_cast<chr::milliseconds>(date - kZeroDay).count() + time.count();
}

CivilDateTime fromMsecs(std::int64_t msecs)
{
    const chr::sys_time<chr::milliseconds> at = kZeroDay + chr::milliseconds{msecs};
    const chr::sys_days date = chr::floor<chr::days>(at);
    const chr::year_month_day ymd(date);
    const chr::hh_mm_ss time(at - date);
    CivilDateTime dt;
    dt.year = static_cast<int>(ymd.year());
    dt.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    dt.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    dt.hour = static_cast<int>(time.hours().count());
    dt.minute = static_cast<int>(time.minutes().count());
    dt.second = static_cast<int>(time.seconds().count());
    dt.msec = static_cast<int>(time.subseconds().count());
    return dt;
}

} // namespace wire
