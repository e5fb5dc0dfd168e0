#include "wire/civil_datetime.h"

#include <gtest/gtest.h>

using wire::CivilDateTime;

// The zero date-time an empty record set sends must be exactly 0 on the wire.
TEST(CivilDateTime, ZeroIsEpoch)
{
    EXPECT_EQ(wire::toMsecs(CivilDateTime{}), 0);
    EXPECT_EQ(wire::fromMsecs(0), CivilDateTime{});
}

// Round trips across leap days, century rules, dates before the epoch and
// millisecond precision.
TEST(CivilDateTime, RoundTrip)
{
    const CivilDateTime samples[] = {
        {2024, 2, 29, 23, 59, 59, 999},  {2000, 2, 29, 0, 0, 0, 1}, {1900, 3, 1, 12, 0, 0, 0},
        {1899, 12, 29, 23, 59, 59, 999}, {1, 1, 1, 0, 0, 0, 0},     {9999, 12, 31, 23, 59, 59, 999},
        {2026, 12, 9, 9, 30, 0, 0},
    };
    for (const CivilDateTime &dt : samples) {
        const auto ms = wire::toMsecs(dt);
        ASSERT_TRUE(ms.has_value());
        EXPECT_EQ(wire::fromMsecs(*ms), dt) << dt.year << '-' << dt.month << '-' << dt.day;
    }
    EXPECT_EQ(*wire::toMsecs({1899, 12, 31, 0, 0, 0, 0}), 86'400'000LL);
    EXPECT_EQ(*wire::toMsecs({1899, 12, 29, 23, 59, 59, 999}), -1);
}

// Impossible calendar values are refused rather than silently normalised.
TEST(CivilDateTime, InvalidRefused)
{
    EXPECT_FALSE(wire::toMsecs({2023, 2, 29, 0, 0, 0, 0}).has_value());
    EXPECT_FALSE(wire::toMsecs({1900, 2, 29, 0, 0, 0, 0}).has_value());
    EXPECT_FALSE(wire::toMsecs({2024, 13, 1, 0, 0, 0, 0}).has_value());
    EXPECT_FALSE(wire::toMsecs({2024, 4, 31, 0, 0, 0, 0}).has_value());
    EXPECT_FALSE(wire::toMsecs({2024, 1, 1, 24, 0, 0, 0}).has_value());
    EXPECT_FALSE(wire::toMsecs({0, 1, 1, 0, 0, 0, 0}).has_value());
}
