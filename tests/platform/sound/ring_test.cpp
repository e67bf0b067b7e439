#include "platform/testing/test_clock.h"
#include "sound_fixture.h"

namespace {

using soundtest::NullDevice;
using soundtest::Pcm;

using RingBuffer = NullDevice;

HRESULT CreatePrimary(IDirectSound8* device, IDirectSoundBuffer** primary)
{
    DSBUFFERDESC desc;
    desc.dwSize = 36;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
    return device->CreateSoundBuffer(&desc, primary, nullptr);
}

TEST_F(RingBuffer, LockGivesOneRegionInsideAndTwoAcrossTheEnd)
{
    IDirectSoundBuffer8* b = Make(Pcm(22050, 1), 1000);
    ASSERT_NE(b, nullptr);
    void *p1, *p2;
    DWORD n1, n2;

    ASSERT_EQ(b->Lock(0, 500, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 500u);
    EXPECT_EQ(p2, nullptr);
    EXPECT_EQ(n2, 0u);
    BYTE* start = static_cast<BYTE*>(p1);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);

    ASSERT_EQ(b->Lock(500, 500, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(static_cast<BYTE*>(p1), start + 500);
    EXPECT_EQ(n1, 500u);
    EXPECT_EQ(n2, 0u);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);

    // Across the end: the rest continues at the start of the ring.
    ASSERT_EQ(b->Lock(900, 300, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(static_cast<BYTE*>(p1), start + 900);
    EXPECT_EQ(n1, 100u);
    EXPECT_EQ(static_cast<BYTE*>(p2), start);
    EXPECT_EQ(n2, 200u);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);

    ASSERT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(n1, 1000u);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
}

TEST_F(RingBuffer, BadLocksAndUnlocksAreRefused)
{
    IDirectSoundBuffer8* b = Make(Pcm(22050, 1), 1000);
    ASSERT_NE(b, nullptr);
    void *p1, *p2;
    DWORD n1, n2;
    EXPECT_EQ(b->Lock(1000, 10, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 1001, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    // A region that wraps needs somewhere to put its second part.
    EXPECT_EQ(b->Lock(900, 200, &p1, &n1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);

    ASSERT_EQ(b->Lock(0, 100, &p1, &n1, &p2, &n2, 0), DS_OK);
    BYTE outside[4];
    EXPECT_EQ(b->Unlock(outside, 4, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Unlock(p1, 1001, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Unlock(p1, n1, nullptr, 0), DS_OK);
    EXPECT_EQ(b->SetCurrentPosition(1000), DSERR_INVALIDPARAM);
}

TEST_F(RingBuffer, CreationChecksDescriptionAndFormat)
{
    WAVEFORMATEX good = Pcm(44100, 2);
    DSBUFFERDESC desc;
    desc.dwSize = 36;
    desc.dwBufferBytes = good.nAvgBytesPerSec;
    desc.lpwfxFormat = &good;
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(device->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
    ASSERT_NE(b, nullptr);
    IDirectSoundBuffer8* b8 = nullptr;
    EXPECT_EQ(b->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&b8)), DS_OK);
    EXPECT_EQ(b8->Release(), 1u);
    EXPECT_EQ(b->Release(), 0u);

    auto refused = [&](WAVEFORMATEX f, DWORD bytes, DWORD size = 36) {
        desc.dwSize = size;
        desc.lpwfxFormat = &f;
        desc.dwBufferBytes = bytes;
        IDirectSoundBuffer* out = reinterpret_cast<IDirectSoundBuffer*>(1);
        HRESULT hr = device->CreateSoundBuffer(&desc, &out, nullptr);
        EXPECT_EQ(out, nullptr);
        return hr;
    };
    EXPECT_EQ(refused(good, 176400, 12), DSERR_INVALIDPARAM);
    EXPECT_EQ(refused(good, 176402), DSERR_INVALIDPARAM); // not whole frames
    EXPECT_EQ(refused(good, 0), DSERR_INVALIDPARAM);
    WAVEFORMATEX bad = good;
    bad.nChannels = 6;
    EXPECT_EQ(refused(bad, 176400), DSERR_BADFORMAT);
    bad = good;
    bad.nAvgBytesPerSec = 1;
    EXPECT_EQ(refused(bad, 176400), DSERR_INVALIDPARAM);
    bad = Pcm(50, 1);
    EXPECT_EQ(refused(bad, 100), DSERR_INVALIDPARAM);
}

TEST_F(RingBuffer, LostBufferRefusesLockAndPlayUntilRestoredAsSilence)
{
    IDirectSoundBuffer8* b = Make(Pcm(44100, 2), 4000);
    ASSERT_NE(b, nullptr);
    std::vector<BYTE> tone(4000, 0x55);
    Fill(b, 0, tone.data(), 4000);

    platform::AudioFaults faults;
    faults.lost_locks = 1;
    platform::InjectAudioFaults(faults);
    void *p1, *p2;
    DWORD n1, n2;
    EXPECT_EQ(b->Lock(0, 100, &p1, &n1, &p2, &n2, 0), DSERR_BUFFERLOST);
    EXPECT_EQ(Status(b) & DSBSTATUS_BUFFERLOST, DSBSTATUS_BUFFERLOST);
    EXPECT_EQ(b->Lock(0, 100, &p1, &n1, &p2, &n2, 0), DSERR_BUFFERLOST); // stays lost
    EXPECT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DSERR_BUFFERLOST);

    EXPECT_EQ(b->Restore(), DS_OK);
    EXPECT_EQ(Status(b), 0u);
    ASSERT_EQ(b->Lock(0, 4000, &p1, &n1, &p2, &n2, 0), DS_OK);
    std::vector<BYTE> after(static_cast<BYTE*>(p1), static_cast<BYTE*>(p1) + n1);
    EXPECT_EQ(after, std::vector<BYTE>(4000, 0));
    b->Unlock(p1, n1, p2, n2);
    EXPECT_EQ(b->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
}

TEST(SoundDevice, InjectedFaultsFailTheCallsTheyName)
{
    platform::TestClock clock;
    platform::ChooseAudioOutput(platform::AudioOutputChoice::Null);
    platform::AudioFaults faults;
    faults.create_device = DSERR_NODRIVER;
    platform::InjectAudioFaults(faults);
    IDirectSound8* device = reinterpret_cast<IDirectSound8*>(1);
    EXPECT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(device, nullptr);

    faults = {};
    faults.priority_level = DSERR_ALLOCATED;
    faults.primary_format = E_FAIL;
    faults.primary_play = DSERR_BUFFERLOST;
    faults.secondary_failures = 1;
    platform::InjectAudioFaults(faults);
    ASSERT_EQ(DirectSoundCreate8(&DSDEVID_DefaultPlayback, &device, nullptr), DS_OK);
    EXPECT_EQ(platform::ActiveAudioOutput(), "null");
    EXPECT_EQ(device->SetCooperativeLevel(soundtest::FakeWindow(), DSSCL_PRIORITY), DSERR_ALLOCATED);
    EXPECT_EQ(device->SetCooperativeLevel(soundtest::FakeWindow(), DSSCL_NORMAL), DS_OK);

    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(CreatePrimary(device, &primary), DS_OK);
    WAVEFORMATEX mix = soundtest::Pcm(44100, 2);
    // Setting the mix format needs the priority level, which was refused.
    EXPECT_EQ(primary->SetFormat(&mix), DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(primary->Play(0, 0, DSBPLAY_LOOPING), DSERR_BUFFERLOST);
    EXPECT_EQ(primary->Release(), 0u);

    WAVEFORMATEX f = soundtest::Pcm(22050, 1);
    DSBUFFERDESC desc;
    desc.dwSize = 36;
    desc.dwBufferBytes = f.nAvgBytesPerSec;
    desc.lpwfxFormat = &f;
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(device->CreateSoundBuffer(&desc, &b, nullptr), DSERR_OUTOFMEMORY);
    ASSERT_EQ(device->CreateSoundBuffer(&desc, &b, nullptr), DS_OK); // the fault was used up
    b->Release();

    faults = {};
    faults.normal_level = DSERR_ALLOCATED;
    faults.primary_create = DSERR_OUTOFMEMORY;
    platform::InjectAudioFaults(faults);
    EXPECT_EQ(device->SetCooperativeLevel(soundtest::FakeWindow(), DSSCL_NORMAL), DSERR_ALLOCATED);
    EXPECT_EQ(CreatePrimary(device, &primary), DSERR_OUTOFMEMORY);
    EXPECT_EQ(device->Release(), 0u);
    EXPECT_EQ(platform::ActiveAudioOutput(), "");
}

TEST(SoundDevice, PrimaryBufferTakesTheMixFormatAtPriorityLevel)
{
    platform::ChooseAudioOutput(platform::AudioOutputChoice::Null);
    IDirectSound8* device = nullptr;
    ASSERT_EQ(DirectSoundCreate8(&DSDEVID_DefaultPlayback, &device, nullptr), DS_OK);
    ASSERT_EQ(device->SetCooperativeLevel(soundtest::FakeWindow(), DSSCL_PRIORITY), DS_OK);
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(CreatePrimary(device, &primary), DS_OK);
    WAVEFORMATEX mix = soundtest::Pcm(44100, 2);
    EXPECT_EQ(primary->SetFormat(&mix), DS_OK);
    EXPECT_EQ(primary->Play(0, 0, 0), DSERR_INVALIDPARAM); // a primary buffer only plays looping
    EXPECT_EQ(primary->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    DWORD status = 0;
    primary->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    void* unused = nullptr;
    EXPECT_EQ(primary->QueryInterface(IID_IDirectSoundBuffer8, &unused), E_NOINTERFACE);
    EXPECT_EQ(primary->Stop(), DS_OK);
    // The buffer keeps its device alive until it is released.
    EXPECT_EQ(device->Release(), 1u);
    EXPECT_EQ(primary->Release(), 0u);
}

} // namespace
