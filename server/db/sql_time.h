#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace appserver {

constexpr std::int64_t kMsecsPerDay = 86'400'000;

// Date-times are stored as "YYYY-MM-DD HH:MM:SS", with ".mmm" only when the
// milliseconds are not zero. SQLite compares them as text, so every writer
// and every bound key must use exactly this form; PostgreSQL reads it as a
// timestamp.
std::string formatSqlDateTime(std::int64_t msecs);

// Accepts the stored form, PostgreSQL's ISO output (fractions of 1 to 6
// digits), a 'T' separator and a bare date.
std::optional<std::int64_t> parseSqlDateTime(std::string_view text);

// Midnight of the day holding `msecs`.
std::int64_t startOfDay(std::int64_t msecs);

} // namespace appserver
