// A device on the null output driven by a test clock, and helpers to make and fill buffers.
#pragma once

#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sound/dsound.h"
#include "platform/sound/wave_format.h"
#include "platform/testing/audio_test.h"
#include "platform/testing/test_clock.h"

namespace soundtest {

inline HWND FakeWindow()
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1000));
}

inline WAVEFORMATEX Pcm(DWORD rate, WORD channels, WORD bits = 16)
{
    return platform::PcmFormat(rate, channels, bits);
}

class NullDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ChooseAudioOutput(platform::AudioOutputChoice::Null);
        ASSERT_EQ(DirectSoundCreate8(&DSDEVID_DefaultPlayback, &device, nullptr), DS_OK);
        ASSERT_EQ(device->SetCooperativeLevel(FakeWindow(), DSSCL_PRIORITY), DS_OK);
    }
    void TearDown() override
    {
        for (auto* b : buffers)
            b->Release();
        if (device)
            device->Release();
        platform::ResetAudioForTests();
    }

    IDirectSoundBuffer8* Make(WAVEFORMATEX format, DWORD bytes)
    {
        DSBUFFERDESC desc;
        desc.dwSize = 36;
        desc.dwFlags = DSBCAPS_CTRLPAN;
        desc.dwBufferBytes = bytes;
        desc.lpwfxFormat = &format;
        IDirectSoundBuffer* first = nullptr;
        EXPECT_EQ(device->CreateSoundBuffer(&desc, &first, nullptr), DS_OK);
        if (!first)
            return nullptr;
        IDirectSoundBuffer8* buffer = nullptr;
        EXPECT_EQ(first->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer)), DS_OK);
        first->Release();
        buffers.push_back(buffer);
        return buffer;
    }

    static void Fill(IDirectSoundBuffer* buffer, DWORD offset, const void* data, DWORD bytes)
    {
        void *p1, *p2;
        DWORD n1, n2;
        ASSERT_EQ(buffer->Lock(offset, bytes, &p1, &n1, &p2, &n2, 0), DS_OK);
        std::memcpy(p1, data, n1);
        if (n2)
            std::memcpy(p2, static_cast<const BYTE*>(data) + n1, n2);
        ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
    }

    static DWORD Status(IDirectSoundBuffer* buffer)
    {
        DWORD s = 0;
        EXPECT_EQ(buffer->GetStatus(&s), DS_OK);
        return s;
    }

    static DWORD PlayCursor(IDirectSoundBuffer* buffer)
    {
        DWORD play = 0;
        EXPECT_EQ(buffer->GetCurrentPosition(&play, nullptr), DS_OK);
        return play;
    }

    platform::TestClock clock;
    IDirectSound8* device = nullptr;
    std::vector<IDirectSoundBuffer8*> buffers;
};

} // namespace soundtest
