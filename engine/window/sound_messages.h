// The four registered messages by which playing voices report to the user-interface thread, and the receiver the
// window procedure hands them to. The sound system installs itself as the receiver; the window knows nothing else
// of it. Streaming threads post these messages to the main window handle; they arrive on the user-interface
// thread through the message loop.
#pragma once

#include "platform/win32.h"

struct IMSoundMessageNumbers {
    UINT play = 0; // "WM_IM_ONSOUNDPLAY": wParam = voice id
    UINT pause = 0; // "WM_IM_ONSOUNDPOUSE": the voice finished; wParam = voice id
    UINT stop = 0; // "WM_IM_ONSOUNDSTOP": wParam = voice id
    UINT label = 0; // "WM_IM_ONLABEL": wParam = voice id, lParam = label time in ms
};

// Registered on first use; the same numbers RegisterWindowMessageW gives for those names anywhere in the process.
const IMSoundMessageNumbers& SoundMessageNumbers();

// User-interface thread only. Ids that name no voice are the receiver's to ignore.
class IMSoundMessageSink {
public:
    virtual void OnVoiceStarted(DWORD voice_id) = 0;
    virtual void OnVoiceFinished(DWORD voice_id) = 0;
    virtual void OnVoiceStopped(DWORD voice_id) = 0;
    virtual void OnLabelMessage(WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~IMSoundMessageSink() = default;
};

// Null removes the receiver; the receiver must remove itself before it dies.
void SetSoundMessageSink(IMSoundMessageSink* sink);
IMSoundMessageSink* GetSoundMessageSink();

// Hands one of the four messages to the receiver; false for any other message (or when there is no receiver).
bool DispatchSoundMessage(UINT message, WPARAM wParam, LPARAM lParam);
