#include "engine/window/sound_messages.h"

#include "platform/window/window.h"

namespace {

IMSoundMessageSink* g_sink = nullptr;

IMSoundMessageNumbers RegisterNumbers()
{
    IMSoundMessageNumbers numbers;
    numbers.play = RegisterWindowMessageW(L"WM_IM_ONSOUNDPLAY");
    numbers.pause = RegisterWindowMessageW(L"WM_IM_ONSOUNDPOUSE");
    numbers.stop = RegisterWindowMessageW(L"WM_IM_ONSOUNDSTOP");
    numbers.label = RegisterWindowMessageW(L"WM_IM_ONLABEL");
    return numbers;
}

} // namespace

const IMSoundMessageNumbers& SoundMessageNumbers()
{
    static const IMSoundMessageNumbers numbers = RegisterNumbers();
    return numbers;
}

void SetSoundMessageSink(IMSoundMessageSink* sink)
{
    g_sink = sink;
}

IMSoundMessageSink* GetSoundMessageSink()
{
    return g_sink;
}

// A number that failed to register is 0 and must not capture WM_NULL.
bool DispatchSoundMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const IMSoundMessageNumbers& n = SoundMessageNumbers();
    if (!g_sink || message == 0)
        return false;
    if (message == n.play)
        g_sink->OnVoiceStarted(wParam);
    else if (message == n.pause)
        g_sink->OnVoiceFinished(wParam);
    else if (message == n.stop)
        g_sink->OnVoiceStopped(wParam);
    else if (message == n.label)
        g_sink->OnLabelMessage(wParam, lParam);
    else
        return false;
    return true;
}
