#include "platform/sound/sound_probes.h"

#include <mutex>

namespace platform {
namespace {

std::mutex g_mutex;
AudioFaults g_faults;
std::string g_active;
MixTap g_tap;

bool TakeOne(int AudioFaults::*count)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_faults.*count <= 0)
        return false;
    --(g_faults.*count);
    return true;
}

} // namespace

void SetAudioFaults(const AudioFaults& faults)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_faults = faults;
}

AudioFaults CurrentAudioFaults()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_faults;
}

bool TakeSecondaryFailure()
{
    return TakeOne(&AudioFaults::secondary_failures);
}

bool TakeLostLock()
{
    return TakeOne(&AudioFaults::lost_locks);
}

void SetActiveAudioOutput(const std::string& name)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_active = name;
}

std::string ActiveAudioOutput()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_active;
}

void SetMixTap(MixTap tap)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_tap = std::move(tap);
}

void TapMix(const int16_t* samples, int frames)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_tap)
        g_tap(samples, frames);
}

} // namespace platform
