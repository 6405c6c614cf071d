#include "platform/FileTimes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace vantor;

// Windows' file times are 100 ns ticks since 1601: today's are about 1.3e17, which times 100 is
// past what a signed 64-bit count holds.
TEST(FileTimes, WindowsTicksBecomeNanosecondsSince1970WithoutOverflow) {
    const std::uint64_t unixEpoch = 116444736000000000ULL;
    EXPECT_EQ(fileTimeToUnixNanoseconds(unixEpoch), 0);
    EXPECT_EQ(fileTimeToUnixNanoseconds(unixEpoch + 1), 100);
    EXPECT_EQ(fileTimeToUnixNanoseconds(unixEpoch - 1), -100);

    const long long dayIn2026 = 1796688000; // 2026-12-08 00:00:00 UTC, seconds since 1970
    const std::uint64_t ticks = unixEpoch + std::uint64_t(dayIn2026) * 10000000;
    EXPECT_EQ(fileTimeToUnixNanoseconds(ticks), dayIn2026 * 1000000000LL);
    EXPECT_EQ(fileTimeToUnixNanoseconds(ticks + 1) - fileTimeToUnixNanoseconds(ticks), 100);

    // Past the years a nanosecond count holds (before 1677, after 2262): the nearest end.
    const long long most = std::numeric_limits<long long>::max();
    EXPECT_EQ(fileTimeToUnixNanoseconds(0), std::numeric_limits<long long>::min());
    EXPECT_EQ(fileTimeToUnixNanoseconds(std::numeric_limits<std::uint64_t>::max()), most);
    EXPECT_EQ(fileTimeToUnixNanoseconds(unixEpoch + std::uint64_t(most / 100)), most / 100 * 100);
    EXPECT_EQ(fileTimeToUnixNanoseconds(unixEpoch + std::uint64_t(most / 100) + 1), most);
}
