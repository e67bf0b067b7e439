#include "assets/embedded_assets.h"
#include "platform/resources.h"
#include "voice_fixture.h"

namespace {

using soundtest::EncodeTone;
using Strings = std::vector<std::string>;

const std::vector<BYTE>& ShortTone() // 0.3 s
{
    static const std::vector<BYTE> ogg = EncodeTone(44100, 2, 13230);
    return ogg;
}

class Voices : public soundtest::Voices { };

TEST_F(Voices, IdsCountFromOneAndANameAskedForAgainGivesItsVoiceWithoutTheEarlierEndCallbacks)
{
    CSoundSystem& sound = Open();
    const std::vector<BYTE> junk(4000, 0x33);
    EXPECT_EQ(Memory(sound, L"junk", junk), 0u); // no voice, no id used, nothing cached
    EXPECT_EQ(Memory(sound, L"junk", junk), 0u);
    const DWORD a = Memory(sound, L"a", ShortTone());
    EXPECT_EQ(a, 1u);
    std::vector<DWORD> first, second;
    sound.Connect(a, Into(&first));
    EXPECT_EQ(Memory(sound, L"a", ShortTone()), a);
    sound.Connect(a, Into(&second));
    const DWORD b = Memory(sound, L"b", ShortTone()); // the same data under another name is another voice
    EXPECT_EQ(b, 2u);
    EXPECT_NE(sound.FindVoice(a)->GetSource(), sound.FindVoice(b)->GetSource());

    EXPECT_TRUE(sound.Play(a, false));
    RunFor(1500);
    EXPECT_TRUE(first.empty());
    EXPECT_EQ(second, std::vector<DWORD> { a });
    EXPECT_EQ(Memory(sound, L"c", ShortTone()), 3u);

    EXPECT_FALSE(sound.Play(0, false));
    EXPECT_FALSE(sound.Stop(0));
    EXPECT_FALSE(sound.Play(99, false));
    EXPECT_FALSE(sound.Connect(0, Into(&first)).connected());
}

TEST_F(Voices, ResourceSoundsLoseTwentyMillisecondsAndComeFromTheSiblingStoreToo)
{
    RegisterEmbeddedAssets();
    CSoundSystem& sound = Open();
    HRSRC found = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(14465), RT_RCDATA);
    ASSERT_NE(found, nullptr);
    const void* bytes = LockResource(LoadResource(nullptr, found));
    const DWORD jingle = sound.CreateVoiceFromResource(L"14465");
    const DWORD same = sound.CreateVoiceFromMemory(L"jingle", bytes, SizeofResource(nullptr, found));
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

    sound.Play(jingle, false);
    RunFor(3000);
    EXPECT_EQ(log_.What(), (Strings { "started 1", "finished 1" }));
}

TEST_F(Voices, AShortSoundStartsAndFinishesAboutOneSecondLater)
{
    CSoundSystem& sound = Open();
    const DWORD id = Memory(sound, L"short", ShortTone());
    const int64_t start = platform::NowMs();
    EXPECT_TRUE(sound.Play(id, false));
    RunFor(2000);
    ASSERT_EQ(log_.What(), (Strings { "started 1", "finished 1" }));
    EXPECT_LE(log_.heard[0].at - start, 2);
    EXPECT_GE(log_.heard[1].at - start, 1000);
    EXPECT_LE(log_.heard[1].at - start, 1100);
    EXPECT_EQ(debug_.Entries(), (std::vector<std::wstring> { L" звук играет\n", L" звук остановился\n" }));
}

TEST_F(Voices, PlayOnAPlayingVoiceOnlyChangesItsLoopFlag)
{
    CSoundSystem& sound = Open();
    const DWORD id = Memory(sound, L"short", ShortTone());
    sound.Play(id, true);
    RunFor(3000);
    EXPECT_EQ(log_.What(), (Strings { "started 1" }));
    EXPECT_FALSE(sound.FindVoice(id)->Play(true));
    EXPECT_TRUE(sound.Play(id, false));
    RunFor(2000);
    EXPECT_EQ(log_.What(), (Strings { "started 1", "finished 1" }));
}

TEST_F(Voices, StopPostsTheFinishedMessageOnlyForAPlayingVoice)
{
    CSoundSystem& sound = Open();
    const DWORD id = Memory(sound, L"short", ShortTone());
    EXPECT_TRUE(sound.Stop(id));
    RunFor(50);
    EXPECT_TRUE(log_.heard.empty());

    sound.Play(id, true);
    RunFor(300);
    EXPECT_TRUE(sound.Stop(id));
    EXPECT_FALSE(sound.FindVoice(id)->IsPlaying());
    EXPECT_FALSE(sound.FindVoice(id)->Stop());
    RunFor(50);
    EXPECT_EQ(log_.What(), (Strings { "started 1", "finished 1" }));
    EXPECT_EQ(debug_.Entries()[1], L" звук стой\n");
}

TEST_F(Voices, LabelsFireOnceEachInOrderAndThoseNotReachedWaitForTheNextStart)
{
    CSoundSystem& sound = Open();
    const DWORD id = Memory(sound, L"loop", ShortTone());
    std::vector<DWORD> late;
    for (DWORD time : { 7500u, 5562u, 6500u })
        sound.AddLabel(id, time, [&late](DWORD, DWORD time) { return late.push_back(time), 0L; });
    auto playFor = [&](DWORD ms) {
        log_.heard.clear();
        const int64_t start = platform::NowMs();
        sound.Play(id, true);
        RunFor(ms);
        sound.Stop(id);
        RunFor(2000);
        std::vector<std::string> labels;
        for (const auto& h : log_.heard)
            if (h.what.rfind("label", 0) == 0)
                labels.push_back(h.what + " after " + std::to_string((h.at - start) / 10 * 10));
        return labels;
    };
    EXPECT_EQ(playFor(6000), (Strings { "label 5562 after 5560" }));
    EXPECT_EQ(playFor(8000), (Strings { "label 6500 after 6500", "label 7500 after 7500" }));
    EXPECT_EQ(playFor(8000), (Strings {}));
    EXPECT_EQ(late, (std::vector<DWORD> { 5562, 6500, 7500 }));

    // A time offered while playing is refused, but its slot stays for when the time is added later.
    sound.Play(id, true);
    sound.AddLabel(id, 50, [&late](DWORD, DWORD) { return late.push_back(1), 0L; });
    RunFor(200);
    sound.Stop(id);
    sound.AddLabel(id, 50, [&late](DWORD, DWORD) { return late.push_back(2), 0L; });
    sound.Play(id, false);
    RunFor(200);
    EXPECT_EQ(late, (std::vector<DWORD> { 5562, 6500, 7500, 1, 2 }));
}

TEST_F(Voices, AVoiceThatCannotPlayStillEndsAndMissingVoicesLeadOn)
{
    platform::InjectAudioFaults({ .create_device = DSERR_NODRIVER });
    CSoundSystem& sound = Open();
    EXPECT_EQ(sound.GetSoundDevice(), nullptr);
    const DWORD id = Memory(sound, L"short", ShortTone());
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(sound.Play(id, false));
    std::vector<DWORD> ended;
    sound.LeadOn(0, Into(&ended));
    EXPECT_TRUE(ended.empty());
    RunFor(5);
    EXPECT_EQ(log_.What(), (Strings { "finished 1", "finished 0" }));
    EXPECT_EQ(ended, std::vector<DWORD> { 0 });
}

TEST_F(Voices, ALostBufferThatCannotBeFilledEndsTheVoiceAtOnce)
{
    CSoundSystem& sound = Open();
    const DWORD id = Memory(sound, L"short", ShortTone());
    platform::InjectAudioFaults({ .lost_locks = 2 });
    EXPECT_FALSE(sound.FindVoice(id)->Play(false));
    RunFor(5);
    EXPECT_EQ(log_.What(), (Strings { "finished 1" }));
}

TEST_F(Voices, WithThePriorityLevelRefusedVoicesPlayWithoutAPrimaryBuffer)
{
    platform::InjectAudioFaults({ .priority_level = DSERR_PRIOLEVELNEEDED });
    CSoundSystem& sound = Open();
    EXPECT_NE(sound.GetSoundDevice(), nullptr);
    EXPECT_FALSE(sound.HasPrimaryBuffer());
    sound.Play(Memory(sound, L"short", ShortTone()), false);
    RunFor(2000);
    EXPECT_EQ(log_.What(), (Strings { "started 1", "finished 1" }));
}

TEST_F(Voices, ShutDownEndsEveryStreamingThread)
{
    CSoundSystem& sound = Open();
    sound.Play(Memory(sound, L"a", ShortTone()), true);
    sound.Play(Memory(sound, L"b", EncodeTone(22050, 1, 4410)), true);
    RunFor(100);
    EXPECT_EQ(platform::LiveThreadCount(), 2);
    SetSoundMessageSink(nullptr);
    delete window_;
    window_ = nullptr;
    EXPECT_EQ(platform::LiveThreadCount(), 0);
}

} // namespace
