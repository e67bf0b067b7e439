#include "platform/system/crt_random.h"

#include <atomic>

namespace platform {

namespace {

// Unseeded, the runtime behaves as if seeded with 1.
std::atomic<uint32_t> g_state { 1 };

} // namespace

void SeedRandom(uint32_t seed)
{
    g_state.store(seed, std::memory_order_relaxed);
}

int NextRandom()
{
    uint32_t state = g_state.load(std::memory_order_relaxed);
    uint32_t next;
    do
        next = state * 214013u + 2531011u;
    while (!g_state.compare_exchange_weak(state, next, std::memory_order_relaxed));
    return int((next >> 16) & kRandMax);
}

} // namespace platform
