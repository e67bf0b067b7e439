// Voices played through the main window's loop on the headless back end and the null output, under a test clock.
// Every millisecond of the loop waits for the streaming threads to finish their pass, so runs are repeatable.
#include <list>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "assets/embedded_assets.h"
#include "engine/resources/resource_manager.h"
#include "engine/window/window.h"
#include "platform/headless/headless_input.h"
#include "platform/headless/headless_presenter.h"
#include "platform/resources/resources.h"
#include "platform/sound/sound_probes.h"
#include "platform/sound/wave_format.h"
#include "platform/system/thread_faults.h"
#include "platform/testing/audio_test.h"
#include "platform/testing/debug_capture.h"
#include "platform/testing/test_clock.h"
#include "platform/threads/sync.h"
#include "tests/engine/sound/vorbis_tone.h"

namespace {

using soundtest::EncodeTone;
using Strings = std::vector<std::string>;

const std::vector<BYTE> kShort = EncodeTone(44100, 2, 13230); // 0.3 s

// Stands between the window and the sound system, noting each message (and when) before passing it on.
class MessageLog : public IMSoundMessageSink {
public:
    void OnVoiceStarted(DWORD id) override { Note("started", id), next->OnVoiceStarted(id); }
    void OnVoiceFinished(DWORD id) override { Note("finished", id), next->OnVoiceFinished(id); }
    void OnVoiceStopped(DWORD id) override { Note("stopped", id), next->OnVoiceStopped(id); }
    void OnLabelMessage(WPARAM id, LPARAM time) override
    {
        Note("label " + std::to_string(time), id), next->OnLabelMessage(id, time);
    }
    void Note(const std::string& what, DWORD id)
    {
        heard.push_back(what + " " + std::to_string(id));
        at.push_back(platform::NowMs());
    }
    CSoundSystem* next = nullptr;
    Strings heard;
    std::vector<int64_t> at;
};

class Voices : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ChooseAudioOutput(platform::AudioOutputChoice::Null);
        settle_ = [this] { platform::Settle(), input_.At(1, settle_); };
        input_.At(0, settle_);
    }
    void TearDown() override
    {
        SetSoundMessageSink(nullptr);
        delete window_;
        platform::ResetAudioForTests();
    }
    CSoundSystem& Open()
    {
        const RECT rect { 0, 0, 800, 600 };
        window_ = IMWindow::Create(nullptr, &rect, L"Звук", true, nullptr);
        log_.next = IMResourceManager::Instance();
        SetSoundMessageSink(&log_);
        return *log_.next;
    }
    void RunFor(DWORD ms)
    {
        input_.QuitAfter(ms);
        IMWindow::Run(window_);
    }
    static std::function<long(DWORD)> Into(std::vector<DWORD>* ids)
    {
        return [ids](DWORD id) { return ids->push_back(id), 0L; };
    }
    static DWORD Memory(CSoundSystem& sound, const std::wstring& name, const std::vector<BYTE>& ogg)
    {
        return sound.CreateVoiceFromMemory(name, ogg.data(), static_cast<DWORD>(ogg.size()));
    }

    platform::TestClock clock_;
    platform::HeadlessInput input_;
    platform::headless::HeadlessPresenter presenter_;
    platform::DebugCapture debug_;
    IMWindow* window_ = nullptr;
    MessageLog log_;
    std::function<void()> settle_;
};

TEST_F(Voices, IdsCountFromOneAndANameAskedForAgainGivesItsVoiceWithoutTheEarlierEndCallbacks)
{
    CSoundSystem& sound = Open();
    const std::vector<BYTE> junk(4000, 0x33);
    EXPECT_EQ(Memory(sound, L"junk", junk), 0u); // no voice, no id used, nothing cached
    EXPECT_EQ(Memory(sound, L"junk", junk), 0u);
    const DWORD a = Memory(sound, L"a", kShort);
    EXPECT_EQ(a, 1u);
    std::vector<DWORD> first, second;
    sound.Connect(a, Into(&first));
    EXPECT_EQ(Memory(sound, L"a", kShort), a);
    sound.Connect(a, Into(&second));
    const DWORD b = Memory(sound, L"b", kShort); // the same data under another name is another voice
    EXPECT_EQ(b, 2u);
    EXPECT_NE(sound.FindVoice(a)->GetSource(), sound.FindVoice(b)->GetSource());

    EXPECT_TRUE(sound.Play(a, false));
    RunFor(1500);
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(second, std::vector<DWORD> { a });
    EXPECT_EQ(Memory(sound, L"c", kShort), 3u);
    EXPECT_FALSE(sound.Play(0, false) || sound.Stop(0) || sound.Play(99, false));
    EXPECT_FALSE(sound.Connect(0, Into(&first)).connected());
}

TEST_F(Voices, ResourceSoundsLoseTwentyMillisecondsAndComeFromTheSiblingStoreToo)
{
    RegisterEmbeddedAssets();
    CSoundSystem& sound = Open();
    HRSRC found = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(14465), RT_RCDATA);
    ASSERT_NE(found, nullptr);
    const DWORD jingle = sound.CreateVoiceFromResource(L"14465");
    const DWORD same = sound.CreateVoiceFromMemory(
        L"jingle", LockResource(LoadResource(nullptr, found)), SizeofResource(nullptr, found));
    ASSERT_TRUE(jingle && same);
    EXPECT_EQ(sound.FindVoice(jingle)->GetSource()->GetRate(), 44100);
    EXPECT_EQ(
        sound.FindVoice(same)->GetSource()->GetTotalFrames() - sound.FindVoice(jingle)->GetSource()->GetTotalFrames(),
        3528u);

    platform::RegisterSiblingResource(L"Animations.dll", 4000, EncodeTone(22050, 1, 22050));
    const DWORD sibling = sound.CreateVoiceFromResource(L"4000");
    ASSERT_NE(sibling, 0u);
    EXPECT_EQ(sound.FindVoice(sibling)->GetSource()->GetTotalFrames(), 22050u - 882u);
    EXPECT_EQ(sound.CreateVoiceFromResource(L"4001"), 0u);
}

// With no audio device the null output still plays the voice through, and its end is heard as for a device.
TEST_F(Voices, AShortSoundStartsAndFinishesAboutOneSecondLater)
{
    CSoundSystem& sound = Open();
    EXPECT_TRUE(sound.Play(Memory(sound, L"short", kShort), false));
    RunFor(2000);
    ASSERT_EQ(log_.heard, (Strings { "started 1", "finished 1" }));
    EXPECT_LE(log_.at[0], 2);
    EXPECT_GE(log_.at[1], 1000);
    EXPECT_LE(log_.at[1], 1100);
    EXPECT_EQ(debug_.Entries(), (std::vector<std::wstring> { L" звук играет\n", L" звук остановился\n" }));
}

TEST_F(Voices, PlayOnAPlayingVoiceOnlyChangesItsLoopFlag)
{
    CSoundSystem& sound = Open();
    const DWORD id = Memory(sound, L"short", kShort);
    sound.Play(id, true);
    RunFor(3000);
    EXPECT_EQ(log_.heard, (Strings { "started 1" }));
    EXPECT_FALSE(sound.FindVoice(id)->Play(true));
    EXPECT_TRUE(sound.Play(id, false));
    RunFor(2000);
    EXPECT_EQ(log_.heard, (Strings { "started 1", "finished 1" }));
}

TEST_F(Voices, StopPostsTheFinishedMessageOnlyForAPlayingVoice)
{
    CSoundSystem& sound = Open();
    const DWORD id = Memory(sound, L"short", kShort);
    EXPECT_TRUE(sound.Stop(id));
    RunFor(50);
    EXPECT_TRUE(log_.heard.empty());

    sound.Play(id, true);
    RunFor(300);
    EXPECT_TRUE(sound.Stop(id));
    EXPECT_FALSE(sound.FindVoice(id)->IsPlaying());
    EXPECT_FALSE(sound.FindVoice(id)->Stop());
    RunFor(50);
    EXPECT_EQ(log_.heard, (Strings { "started 1", "finished 1" }));
    EXPECT_EQ(debug_.Entries()[1], L" звук стой\n");
}

TEST_F(Voices, LabelsFireOnceEachInOrderAndThoseNotReachedWaitForTheNextStart)
{
    CSoundSystem& sound = Open();
    const DWORD id = Memory(sound, L"loop", kShort);
    std::vector<DWORD> got;
    auto note = [&got](DWORD, DWORD time) { return got.push_back(time), 0L; };
    for (DWORD time : { 7500u, 5562u, 6500u })
        sound.AddLabel(id, time, note);
    auto playFor = [&](DWORD ms) { // the labels heard, each with its time from the start to 10 ms
        log_.heard.clear(), log_.at.clear();
        const int64_t start = platform::NowMs();
        sound.Play(id, true);
        RunFor(ms);
        sound.Stop(id);
        RunFor(2000);
        Strings labels;
        for (size_t i = 0; i < log_.heard.size(); ++i)
            if (log_.heard[i].starts_with("label"))
                labels.push_back(log_.heard[i] + " at " + std::to_string((log_.at[i] - start) / 10 * 10));
        return labels;
    };
    EXPECT_EQ(playFor(6000), (Strings { "label 5562 1 at 5560" }));
    EXPECT_EQ(playFor(8000), (Strings { "label 6500 1 at 6500", "label 7500 1 at 7500" }));
    EXPECT_EQ(playFor(8000), (Strings {}));

    // A time offered while playing is refused, but its slot stays for when the time is added later.
    sound.Play(id, true);
    sound.AddLabel(id, 50, [&got](DWORD, DWORD) { return got.push_back(1), 0L; });
    RunFor(200);
    sound.Stop(id);
    sound.AddLabel(id, 50, note);
    sound.Play(id, false);
    RunFor(200);
    EXPECT_EQ(got, (std::vector<DWORD> { 5562, 6500, 7500, 1, 50 }));
}

TEST_F(Voices, AVoiceThatCannotPlayStillEndsAndMissingVoicesLeadOn)
{
    platform::InjectAudioFaults({ .secondary_failures = 1 });
    CSoundSystem& sound = Open();
    const DWORD bufferless = Memory(sound, L"a", kShort);
    const DWORD lost = Memory(sound, L"b", kShort);
    ASSERT_TRUE(bufferless && lost);
    platform::InjectAudioFaults({ .lost_locks = 2 }); // the first half cannot be filled
    EXPECT_TRUE(sound.Play(bufferless, false));
    EXPECT_FALSE(sound.FindVoice(lost)->Play(false));
    std::vector<DWORD> ended;
    sound.LeadOn(0, Into(&ended));
    EXPECT_TRUE(ended.empty());
    RunFor(5);
    EXPECT_EQ(log_.heard, (Strings { "finished 1", "finished 2", "finished 0" }));
    EXPECT_EQ(ended, std::vector<DWORD> { 0 });
}

TEST_F(Voices, ShutDownEndsEveryStreamingThread)
{
    CSoundSystem& sound = Open();
    sound.Play(Memory(sound, L"a", kShort), true);
    sound.Play(Memory(sound, L"b", kShort), true);
    RunFor(100);
    EXPECT_EQ(platform::LiveThreadCount(), 2);
    SetSoundMessageSink(nullptr);
    delete window_;
    window_ = nullptr;
    EXPECT_EQ(platform::LiveThreadCount(), 0);
}

// First and last frame of the captured mix louder than a hiss, and the longest quiet run between them.
struct Span {
    size_t first = SIZE_MAX, last = 0, longest_gap = 0;
};

Span Loud(const std::vector<int16_t>& stereo)
{
    Span span;
    for (size_t i = 0, run = 0; i < stereo.size() / 2; ++i, ++run) {
        if (std::abs(stereo[2 * i]) <= 2000)
            continue;
        if (span.first != SIZE_MAX)
            span.longest_gap = std::max(span.longest_gap, run - 1);
        span.first = std::min(span.first, i);
        span.last = i;
        run = 0;
    }
    return span;
}

// 0.6 s of tone is 0.6 s of output whatever its rate and channels, including 11025 Hz stereo, whose half second
// of bytes is not a whole number of frames; a looped sound shorter than a half repeats without gaps.
TEST_F(Voices, TheMixedOutputOfAVoiceHasTheLengthOfItsSound)
{
    CSoundSystem& sound = Open();
    std::list<std::vector<BYTE>> blobs; // memory sounds outlive the sound system
    auto capture = [&](std::vector<BYTE> ogg, bool loop) {
        platform::AudioCapture capture;
        const DWORD id = Memory(sound, std::to_wstring(ogg.size()), blobs.emplace_back(std::move(ogg)));
        sound.Play(id, loop);
        RunFor(2000);
        sound.Stop(id);
        return Loud(capture.Samples());
    };
    for (auto [rate, channels] : { std::pair { 44100, 2 }, { 22050, 1 }, { 11025, 2 } }) {
        SCOPED_TRACE(std::to_string(rate) + " Hz, channels " + std::to_string(channels));
        Span span = capture(EncodeTone(rate, channels, rate * 6 / 10), false);
        EXPECT_NEAR(static_cast<double>(span.last - span.first), 26460, 300);
        EXPECT_LT(span.longest_gap, 50u);
    }
    Span looped = capture(EncodeTone(44100, 2, 8820), true); // 0.2 s
    EXPECT_GT(looped.last - looped.first, 85000u);
    EXPECT_LT(looped.longest_gap, 50u);
}

} // namespace

namespace {

// A voice stopped before its streaming thread got going must not be left sounding.
TEST_F(Voices, AVoiceStoppedAtOnceStaysSilent)
{
    CSoundSystem& sound = Open();
    const DWORD id = Memory(sound, L"short", kShort);
    platform::AudioCapture capture;
    for (int i = 0; i < 5; ++i) {
        sound.Play(id, true);
        sound.Stop(id);
    }
    // A silent voice keeps the output mixing.
    const std::vector<BYTE> silence = EncodeTone(44100, 2, 44100, 0);
    const DWORD quiet = Memory(sound, L"quiet", silence);
    sound.Play(quiet, true);
    RunFor(1500);
    sound.Stop(quiet);
    EXPECT_EQ(Loud(capture.Samples()).first, SIZE_MAX);
}

} // namespace

namespace {

// A fault in the mix that stays on the voice's streaming thread: it meets the thread's stop too. The mix goes on
// elsewhere, as a device pulls it, and what it gives from the fault on is kept.
TEST_F(Voices, AVoiceWhoseStreamingThreadFaultsFallsSilent)
{
    CSoundSystem& sound = Open();
    const DWORD id = Memory(sound, L"short", kShort);
    // The tap runs under the probes' lock, so its state needs no lock of its own.
    auto after_fault = std::make_shared<std::vector<int16_t>>();
    platform::SetMixTap([main = std::this_thread::get_id(), broken = std::thread::id(), after_fault](
                            const int16_t* samples, int frames) mutable {
        const bool loud = Loud(std::vector<int16_t>(samples, samples + 2 * frames)).first != SIZE_MAX;
        if (std::this_thread::get_id() != main
            && (std::this_thread::get_id() == broken || (loud && broken == std::thread::id()))) {
            broken = std::this_thread::get_id();
            throw std::runtime_error("the stream broke");
        }
        if (broken != std::thread::id())
            after_fault->insert(after_fault->end(), samples, samples + 2 * frames);
    });
    // Any buffer's status, read on the main thread every millisecond, mixes what is due there.
    WAVEFORMATEX format = platform::PcmFormat(44100, 2);
    DSBUFFERDESC desc;
    desc.dwSize = 36;
    desc.dwBufferBytes = 4410 * 4;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* puller = nullptr;
    ASSERT_EQ(sound.GetSoundDevice()->CreateSoundBuffer(&desc, &puller, nullptr), DS_OK);
    std::function<void()> pull = [&] {
        DWORD status = 0;
        puller->GetStatus(&status);
        input_.At(1, pull);
    };
    input_.At(0, pull);
    sound.Play(id, true);
    RunFor(2000);
    platform::SetMixTap(nullptr);
    puller->Release();
    EXPECT_EQ(platform::TakeFault(), "std::runtime_error: the stream broke");
    EXPECT_FALSE(sound.FindVoice(id)->IsPlaying());
    EXPECT_GT(after_fault->size(), 2u * 44100);
    EXPECT_EQ(Loud(*after_fault).first, SIZE_MAX);
}

} // namespace
