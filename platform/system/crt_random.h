// The C runtime's pseudo-random generator in its classic 15-bit form: the same linear congruence and the range
// 0..32767 on every platform, so formulas written for that range (a value times n / 32768) stay in bounds.
#pragma once

#include <cstdint>

namespace platform {

constexpr int kRandMax = 0x7FFF;

// One generator for the process; seeding restarts its sequence.
void SeedRandom(uint32_t seed);
// The next value, 0..kRandMax.
int NextRandom();

} // namespace platform
