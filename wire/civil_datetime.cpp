#include "civil_datetime.h"

namespace wire {
namespace {

constexpr std::int64_t kMsecsPerDay = 86'400'000;

// 1899-12-30 counted from 1970-01-01.
std::int64_t zeroDay() { return daysFromCivil(1899, 12, 30); }

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

} // namespace

// Howard Hinnant's days_from_civil.
std::int64_t daysFromCivil(int year, int month, int day)
{
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool isValid(const CivilDateTime &dt)
{
    if (dt.year < 1 || dt.year > 9999 || dt.month < 1 || dt.month > 12)
        return false;
    if (dt.day < 1 || dt.day > daysInMonth(dt.year, dt.month))
        return false;
    return dt.hour >= 0 && dt.hour < 24 && dt.minute >= 0 && dt.minute < 60 && dt.second >= 0
           && dt.second < 60 && dt.msec >= 0 && dt.msec < 1000;
}

std::optional<std::int64_t> toMsecs(const CivilDateTime &dt)
{
    if (!isValid(dt))
        return std::nullopt;
    const std::int64_t days = daysFromCivil(dt.year, dt.month, dt.day) - zeroDay();
    return days * kMsecsPerDay + ((dt.hour * 60 + dt.minute) * 60 + dt.second) * 1000LL + dt.msec;
}

CivilDateTime fromMsecs(std::int64_t msecs)
{
    const std::int64_t dayIndex = floorDiv(msecs, kMsecsPerDay);
    std::int64_t rest = msecs - dayIndex * kMsecsPerDay;
    // civil_from_days
    const std::int64_t z = dayIndex + zeroDay() + 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    CivilDateTime dt;
    dt.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    dt.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    dt.year = static_cast<int>(yoe + era * 400 + (dt.month <= 2 ? 1 : 0));
    dt.msec = static_cast<int>(rest % 1000);
    rest /= 1000;
    dt.second = static_cast<int>(rest % 60);
    rest /= 60;
    dt.minute = static_cast<int>(rest % 60);
    dt.hour = static_cast<int>(rest / 60);
    return dt;
}

} // namespace wire
