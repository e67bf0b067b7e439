#include <set>

#include <gtest/gtest.h>

#include "platform/system/crt_random.h"

namespace {

// The classic runtime's sequence: programs written against it see the same numbers here.
TEST(CrtRandom, FollowsTheClassicSequenceAndRestartsWithItsSeed)
{
    platform::SeedRandom(1);
    EXPECT_EQ(platform::NextRandom(), 41);
    EXPECT_EQ(platform::NextRandom(), 18467);
    EXPECT_EQ(platform::NextRandom(), 6334);
    EXPECT_EQ(platform::NextRandom(), 26500);
    platform::SeedRandom(1);
    EXPECT_EQ(platform::NextRandom(), 41);
}

TEST(CrtRandom, StaysWithinFifteenBitsForAnySeed)
{
    for (uint32_t seed : { 0u, 0x7FFFFFFFu, 0xFFFFFFFFu, 1765432109u }) {
        platform::SeedRandom(seed);
        std::set<int> seen;
        for (int i = 0; i < 100000; ++i) {
            const int r = platform::NextRandom();
            ASSERT_GE(r, 0);
            ASSERT_LE(r, platform::kRandMax);
            seen.insert(r);
        }
        EXPECT_GT(seen.size(), 30000u) << "seed " << seed;
    }
}

} // namespace
