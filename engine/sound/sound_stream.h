// One voice: a one-second ring buffer in the source's format, refilled half a second ahead by a streaming thread
// of its own while it plays, with its started, finished and stopped signals and its timed labels.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/signals.h"
#include "platform/sound/dsound.h"
#include "platform/threads/sync.h"

class CSoundSystem;
class CSoundSource;

template <class F>
concept CVoiceSlot = std::is_invocable_r_v<long, F, DWORD>;
template <class F>
concept CLabelSlot = std::is_invocable_r_v<long, F, DWORD, DWORD>;

class CSoundStream {
public:
    // Emitted with the voice id.
    using VoiceSignal = im::Signal<long(DWORD)>;
    // Emitted with the voice id and the label time in ms.
    using LabelSignal = im::Signal<long(DWORD, DWORD)>;

    static constexpr int kStopped = 0;
    static constexpr int kPlaying = 1;

    // Without a device, or when the device refuses the buffer, the voice has no buffer and never plays.
    CSoundStream(CSoundSystem* owner, CSoundSource* source, DWORD id);
    // Stops a playing voice and waits for its thread.
    ~CSoundStream();
    CSoundStream(const CSoundStream&) = delete;
    CSoundStream& operator=(const CSoundStream&) = delete;

    // User-interface thread. From stopped: rewinds, arms the labels, starts the thread and posts the started
    // message. On a playing voice only the loop flag changes (false). A voice that cannot play posts the finished
    // message instead, so whoever waits for its end goes on (false).
    bool Play(bool loop);
    // False (nothing posted) unless playing; otherwise cancels the labels, ends the thread and waits for it,
    // which posts the finished message.
    bool Stop();

    // Refused unless stopped; a time already listed is kept once.
    bool AddLabelTime(DWORD time);
    template <CVoiceSlot F> im::Connection ConnectFinished(F&& slot)
    {
        return finished_.connect(std::forward<F>(slot));
    }
    template <CLabelSlot F> im::Connection ConnectLabel(DWORD time, F&& slot)
    {
        std::unique_ptr<LabelSignal>& signal = labels_[time];
        if (!signal)
            signal = std::make_unique<LabelSignal>();
        return signal->connect(std::forward<F>(slot));
    }

    DWORD GetId() const { return id_; }
    CSoundSource* GetSource() const { return source_; }
    bool IsPlaying() const { return state_ == kPlaying; }

    // The signals as the window's message dispatch emits them; each fires only when it has slots.
    void EmitStarted() { Emit(started_); }
    void EmitFinished() { Emit(finished_); }
    void EmitStopped() { Emit(stopped_); }
    void EmitLabel(DWORD time);
    // A voice handed out again loses the end callbacks of its earlier callers.
    void DropFinishedSlots() { finished_.disconnect_all_slots(); }

private:
    bool CreateBuffer();
    bool FillFirstHalf();
    void ArmLabelTimers();
    void CancelLabelTimers();
    long OnLabelTimer(DWORD timer, DWORD time);
    void JoinThread();
    void AwaitThreadEnd();

    // An exception that escapes the streaming is reported as the thread's fault; the voice then ends as stopped.
    static DWORD StreamThread(void* parameter);
    // Plays the ring and keeps it filled until asked to stop; returns holding the lock.
    void Stream();
    // One wake-up of the thread; false when it must end (the lock is then still held).
    bool StreamPass();
    void RefillHalf(DWORD offset);
    bool LockHalf(DWORD offset, BYTE** part);
    DWORD ReadLooping(BYTE* part, DWORD got);
    void Post(UINT message, LPARAM lparam) const;
    void Emit(VoiceSignal& signal);

    CSoundSystem* owner_;
    CSoundSource* source_;
    std::atomic<int> state_ { kStopped };
    int stop_request_ = 0;
    HANDLE wake_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD buffer_bytes_ = 0;
    bool next_half_ = false;
    DWORD half_ = 0;
    IDirectSoundBuffer8* buffer_ = nullptr;
    bool loop_ = false;
    int silent_halves_ = 0;
    VoiceSignal started_;
    VoiceSignal finished_;
    VoiceSignal stopped_;
    std::map<DWORD, std::unique_ptr<LabelSignal>> labels_;
    std::vector<DWORD> label_times_;
    std::vector<DWORD> armed_timers_;
    DWORD id_;
    CRITICAL_SECTION lock_;
};
