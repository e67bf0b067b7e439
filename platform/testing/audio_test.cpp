#include "platform/testing/audio_test.h"

#include <mutex>

#include "platform/testing/audio_hooks.h"

namespace platform {
namespace {

std::mutex g_mutex;
AudioFaults g_faults;
AudioOutputChoice g_choice = AudioOutputChoice::Device;
std::string g_active;
bool g_capturing = false;
std::vector<int16_t> g_captured;

bool TakeOne(int AudioFaults::*count)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_faults.*count <= 0)
        return false;
    --(g_faults.*count);
    return true;
}

} // namespace

void ChooseAudioOutput(AudioOutputChoice choice)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_choice = choice;
}

std::string ActiveAudioOutput()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_active;
}

void InjectAudioFaults(const AudioFaults& faults)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_faults = faults;
}

void ResetAudioForTests()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_faults = AudioFaults {};
    g_choice = AudioOutputChoice::Device;
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

AudioOutputChoice CurrentAudioOutputChoice()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_choice;
}

void SetActiveAudioOutput(const std::string& name)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_active = name;
}

void AppendCapture(const int16_t* samples, int frames)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_capturing)
        g_captured.insert(g_captured.end(), samples, samples + static_cast<size_t>(frames) * 2);
}

AudioCapture::AudioCapture()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_capturing = true;
    g_captured.clear();
}

AudioCapture::~AudioCapture()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_capturing = false;
    g_captured.clear();
}

std::vector<int16_t> AudioCapture::Samples() const
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_captured;
}

size_t AudioCapture::Frames() const
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_captured.size() / 2;
}

void AudioCapture::Clear()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_captured.clear();
}

} // namespace platform
