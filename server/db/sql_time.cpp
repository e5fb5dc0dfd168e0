#include "server/db/sql_time.h"

#include "wire/civil_datetime.h"

#include <cstdio>

namespace appserver {
namespace {

bool digits(std::string_view text, std::size_t pos, std::size_t count, int &out)
{
    if (pos + count > text.size())
        return false;
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    return true;
}

} // namespace

std::string formatSqlDateTime(std::int64_t msecs)
{
    const wire::CivilDateTime dt = wire::fromMsecs(msecs);
    char buffer[32];
    int n = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", dt.year, dt.month,
                          dt.day, dt.hour, dt.minute, dt.second);
    if (dt.msec != 0)
        n += std::snprintf(buffer + n, sizeof buffer - static_cast<std::size_t>(n), ".%03d",
                           dt.msec);
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::optional<std::int64_t> parseSqlDateTime(std::string_view text)
{
    wire::CivilDateTime dt;
    if (!digits(text, 0, 4, dt.year) || text.size() < 10 || text[4] != '-' || text[7] != '-'
        || !digits(text, 5, 2, dt.month) || !digits(text, 8, 2, dt.day))
        return std::nullopt;
    dt.hour = dt.minute = dt.second = dt.msec = 0;
    if (text.size() > 10) {
        if ((text[10] != ' ' && text[10] != 'T') || text.size() < 19 || text[13] != ':'
            || text[16] != ':' || !digits(text, 11, 2, dt.hour) || !digits(text, 14, 2, dt.minute)
            || !digits(text, 17, 2, dt.second))
            return std::nullopt;
        if (text.size() > 19) {
            if (text[19] != '.' || text.size() == 20 || text.size() > 26)
                return std::nullopt;
            int scale = 100;
            for (std::size_t i = 20; i < text.size(); ++i) {
                const char c = text[i];
                if (c < '0' || c > '9')
                    return std::nullopt;
                dt.msec += (c - '0') * scale;
                scale /= 10;
            }
        }
    }
    return wire::toMsecs(dt);
}

std::int64_t startOfDay(std::int64_t msecs)
{
    std::int64_t day = msecs / kMsecsPerDay;
    if (msecs % kMsecsPerDay < 0)
        --day;
    return day * kMsecsPerDay;
}

} // namespace appserver
