#include "engine/sound/sound_stream.h"

#include <algorithm>
#include <cstring>

#include "engine/sound/sound_source.h"
#include "engine/sound/sound_system.h"
#include "engine/window/window.h"
#include "platform/sound/wave_format.h"
#include "platform/system/debug_output.h"
#include "platform/system/thread_faults.h"
#include "platform/time/clock.h"

namespace {

constexpr int kStopRequest = 3;
constexpr DWORD kWakeMs = 20;

// Erases value from v when present.
void Forget(std::vector<DWORD>& v, DWORD value)
{
    v.erase(std::remove(v.begin(), v.end(), value), v.end());
}

// A critical section held for a scope and left on the way out, also when an exception passes; Keep hands it on
// to the caller instead.
class HeldLock {
public:
    explicit HeldLock(CRITICAL_SECTION* section)
        : section_(section)
    {
        EnterCriticalSection(section);
    }
    ~HeldLock()
    {
        if (section_)
            LeaveCriticalSection(section_);
    }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;
    void Keep() { section_ = nullptr; }

private:
    CRITICAL_SECTION* section_;
};

} // namespace

CSoundStream::CSoundStream(CSoundSystem* owner, CSoundSource* source, DWORD id)
    : owner_(owner)
    , source_(source)
    , id_(id)
{
    wake_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    CreateBuffer();
    InitializeCriticalSection(&lock_);
}

CSoundStream::~CSoundStream()
{
    if (state_ != kStopped) {
        EnterCriticalSection(&lock_);
        stop_request_ = kStopRequest;
        LeaveCriticalSection(&lock_);
    }
    AwaitThreadEnd();
    CloseHandle(wake_);
    CancelLabelTimers();
    if (buffer_)
        buffer_->Release();
    DeleteCriticalSection(&lock_);
}

// Both halves hold whole frames: for 11025 Hz stereo half a second of bytes would split a frame, so the ring is
// then a frame shorter than a second.
bool CSoundStream::CreateBuffer()
{
    IDirectSound8* device = owner_->GetSoundDevice();
    if (!device)
        return false;
    WAVEFORMATEX format
        = platform::PcmFormat(static_cast<DWORD>(source_->GetRate()), static_cast<WORD>(source_->GetChannels()));
    DWORD half = format.nAvgBytesPerSec / 2;
    half -= half % format.nBlockAlign;

    DSBUFFERDESC desc;
    desc.dwSize = 36;
    desc.dwFlags = DSBCAPS_CTRLPAN;
    desc.dwBufferBytes = 2 * half;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* first = nullptr;
    if (FAILED(device->CreateSoundBuffer(&desc, &first, nullptr)))
        return false;
    HRESULT hr = first->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer_));
    first->Release();
    if (FAILED(hr)) {
        buffer_ = nullptr;
        return false;
    }
    buffer_bytes_ = desc.dwBufferBytes;
    half_ = half;
    return true;
}

void CSoundStream::Post(UINT message, LPARAM lparam) const
{
    PostMessageW(owner_->GetSoundWindow(), message, id_, lparam);
}

void CSoundStream::Emit(VoiceSignal& signal)
{
    if (!signal.empty())
        signal(id_);
}

void CSoundStream::EmitLabel(DWORD time)
{
    auto it = labels_.find(time);
    if (it != labels_.end() && !it->second->empty())
        (*it->second)(id_, time);
}

// A thread that ended by itself may still be on its way out; waiting for it keeps its finished message ahead of
// the next playback's started message.
void CSoundStream::JoinThread()
{
    if (!thread_)
        return;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
}

// The stop request is made; the lock must not be held, as the thread needs it to see the request.
void CSoundStream::AwaitThreadEnd()
{
    if (state_ != kStopped) {
        SetEvent(wake_);
        while (state_ != kStopped)
            Sleep(1);
    }
    JoinThread();
}

bool CSoundStream::Play(bool loop)
{
    EnterCriticalSection(&lock_);
    loop_ = loop;
    if (state_ == kPlaying) {
        LeaveCriticalSection(&lock_);
        return false;
    }
    LeaveCriticalSection(&lock_);
    JoinThread();
    OutputDebugStringW(L" звук играет\n");
    next_half_ = true;
    CancelLabelTimers();
    if (!buffer_ || !FillFirstHalf()) {
        Post(owner_->GetMessageNumbers().pause, 0);
        return false;
    }
    state_ = kPlaying;
    ArmLabelTimers();
    thread_ = CreateThread(nullptr, 0, StreamThread, this, 0, nullptr);
    if (!thread_) {
        state_ = kStopped;
        CancelLabelTimers();
        Post(owner_->GetMessageNumbers().pause, 0);
        return false;
    }
    Post(owner_->GetMessageNumbers().play, 0);
    return true;
}

bool CSoundStream::Stop()
{
    EnterCriticalSection(&lock_);
    if (state_ != kPlaying) {
        LeaveCriticalSection(&lock_);
        return false;
    }
    OutputDebugStringW(L" звук стой\n");
    CancelLabelTimers();
    buffer_->Stop();
    stop_request_ = kStopRequest;
    LeaveCriticalSection(&lock_);
    AwaitThreadEnd();
    return true;
}

bool CSoundStream::LockHalf(DWORD offset, BYTE** part)
{
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    HRESULT hr = buffer_->Lock(offset, half_, &p1, &n1, &p2, &n2, 0);
    if (hr == DSERR_BUFFERLOST) {
        buffer_->Restore();
        hr = buffer_->Lock(offset, half_, &p1, &n1, &p2, &n2, 0);
    }
    *part = static_cast<BYTE*>(p1);
    return SUCCEEDED(hr) && p1 && n1 == half_;
}

bool CSoundStream::FillFirstHalf()
{
    EnterCriticalSection(&lock_);
    buffer_->SetCurrentPosition(0);
    BYTE* part = nullptr;
    bool locked = LockHalf(0, &part);
    if (locked) {
        ov_pcm_seek(source_->GetDecoder(), 0);
        DWORD got = source_->ReadPcm(part, half_);
        if (loop_)
            got = ReadLooping(part, got);
        silent_halves_ = 0;
        std::memset(part + got, 0, half_ - got);
        buffer_->Unlock(part, half_, nullptr, 0);
    }
    LeaveCriticalSection(&lock_);
    return locked;
}

// A looped sound starts again as often as the half needs: a sound shorter than a half must not leave what an
// earlier pass wrote in the rest of it. An empty sound fills the rest with silence.
DWORD CSoundStream::ReadLooping(BYTE* part, DWORD got)
{
    while (got < half_) {
        ov_pcm_seek(source_->GetDecoder(), 0);
        DWORD n = source_->ReadPcm(part + got, half_ - got);
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

void CSoundStream::RefillHalf(DWORD offset)
{
    BYTE* part = nullptr;
    if (LockHalf(offset, &part)) {
        DWORD got = source_->ReadPcm(part, half_);
        if (got < half_ && loop_)
            got = ReadLooping(part, got);
        if (got < half_) {
            std::memset(part + got, 0, half_ - got);
            if (!loop_)
                ++silent_halves_;
        }
        if (FAILED(buffer_->Unlock(part, half_, nullptr, 0)))
            silent_halves_ = 1;
    }
    next_half_ = !next_half_;
}

bool CSoundStream::StreamPass()
{
    DWORD woken = WaitForSingleObject(wake_, kWakeMs);
    HeldLock held(&lock_);
    DWORD cursor = 0;
    if (SUCCEEDED(buffer_->GetCurrentPosition(&cursor, nullptr))) {
        bool second = cursor < half_ && next_half_;
        bool first = cursor > half_ && !next_half_;
        if (second || first) {
            // Two silent halves: the half with the end of the sound has been heard.
            if (silent_halves_ == 2) {
                buffer_->Stop();
                stop_request_ = kStopRequest;
                silent_halves_ = 0;
                SetEvent(wake_);
            }
            RefillHalf(second ? half_ : 0);
        }
    }
    if (woken == WAIT_OBJECT_0) {
        ResetEvent(wake_);
        if (stop_request_ == kStopRequest) {
            held.Keep();
            return false;
        }
    }
    return true;
}

void CSoundStream::Stream()
{
    {
        // A voice stopped before its thread got going stays silent: Stop has already stopped the ring.
        HeldLock held(&lock_);
        if (stop_request_ != kStopRequest)
            buffer_->Play(0, 0, DSBPLAY_LOOPING);
    }
    while (StreamPass()) { }
}

// Once the state reads stopped the voice may be played or destroyed: only copies are used after that.
DWORD CSoundStream::StreamThread(void* parameter)
{
    auto* voice = static_cast<CSoundStream*>(parameter);
    try {
        voice->Stream();
    } catch (...) {
        // The program is asked to close; the voice ends as if stopped, so that nothing waits for it in vain.
        platform::ReportThreadFault();
        EnterCriticalSection(&voice->lock_);
        try {
            voice->buffer_->Stop();
        } catch (...) {
            // The ring itself is what fails: it goes when the voice does, and the fault is reported already.
        }
    }
    const HWND window = voice->owner_->GetSoundWindow();
    const UINT finished = voice->owner_->GetMessageNumbers().pause;
    const DWORD id = voice->id_;
    voice->stop_request_ = 0;
    voice->silent_halves_ = 0;
    voice->state_ = kStopped;
    LeaveCriticalSection(&voice->lock_);
    OutputDebugStringW(L" звук остановился\n");
    PostMessageW(window, finished, id, 0);
    return 1;
}

bool CSoundStream::AddLabelTime(DWORD time)
{
    EnterCriticalSection(&lock_);
    bool stopped = state_ == kStopped;
    if (stopped && std::find(label_times_.begin(), label_times_.end(), time) == label_times_.end())
        label_times_.push_back(time);
    LeaveCriticalSection(&lock_);
    return stopped;
}

// Labels are window timers: milliseconds from the start of playback, not positions in the sound.
void CSoundStream::ArmLabelTimers()
{
    IMWindow* window = g_main_window;
    if (!window)
        return;
    EnterCriticalSection(&lock_);
    for (DWORD time : label_times_) {
        DWORD timer = window->AddTimer(time);
        window->ConnectTimer(timer, [this, timer, time](const IMEvent&) { return OnLabelTimer(timer, time); });
        armed_timers_.push_back(timer);
    }
    LeaveCriticalSection(&lock_);
}

void CSoundStream::CancelLabelTimers()
{
    EnterCriticalSection(&lock_);
    if (IMWindow* window = g_main_window)
        for (DWORD timer : armed_timers_)
            window->RemoveTimer(timer);
    armed_timers_.clear();
    LeaveCriticalSection(&lock_);
}

// A label fires once: its time leaves the list, so it must be added again to fire at a later playback. A timer
// that comes after the voice ended by itself only removes itself.
long CSoundStream::OnLabelTimer(DWORD timer, DWORD time)
{
    EnterCriticalSection(&lock_);
    Forget(armed_timers_, timer);
    if (state_ == kPlaying) {
        Forget(label_times_, time);
        Post(owner_->GetMessageNumbers().label, time);
    }
    LeaveCriticalSection(&lock_);
    if (IMWindow* window = g_main_window)
        window->RemoveTimer(timer);
    return 0;
}
