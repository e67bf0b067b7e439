#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "engine/sound/sound_source.h"
#include "platform/text/utf8.h"
#include "tests/engine/sound/vorbis_tone.h"
#include "tests/support/own_folder.h"

namespace {

using soundtest::EncodeTone;

DWORD ReadAll(CSoundSource& source, DWORD chunk, std::vector<int16_t>* pcm = nullptr)
{
    std::vector<BYTE> buffer(chunk);
    DWORD total = 0;
    for (DWORD n; (n = source.ReadPcm(buffer.data(), chunk)) > 0;) {
        total += n;
        if (pcm)
            pcm->insert(
                pcm->end(), reinterpret_cast<int16_t*>(buffer.data()), reinterpret_cast<int16_t*>(buffer.data() + n));
    }
    return total;
}

TEST(SoundSource, MemorySoundGivesItsWholeLengthInFramesAndRewinds)
{
    std::vector<BYTE> ogg = EncodeTone(22050, 1, 11025);
    CSoundSource source;
    ASSERT_TRUE(source.OpenMemory(ogg.data(), static_cast<DWORD>(ogg.size())));
    EXPECT_EQ(source.GetChannels(), 1);
    EXPECT_EQ(source.GetRate(), 22050);
    EXPECT_EQ(source.GetBytesPerFrame(), 2);
    EXPECT_EQ(source.GetTotalFrames(), 11025u);

    std::vector<int16_t> pcm;
    EXPECT_EQ(ReadAll(source, 4001, &pcm), 11025u * 2); // odd requests still give whole frames
    // The decoded tone is still a 440 Hz tone.
    int crossings = 0;
    for (size_t i = 1; i < pcm.size(); ++i)
        crossings += (pcm[i - 1] < 0) != (pcm[i] < 0);
    EXPECT_NEAR(crossings / 2.0 / 0.5, 440.0, 5.0);

    ASSERT_EQ(ov_pcm_seek(source.GetDecoder(), 0), 0);
    EXPECT_EQ(ReadAll(source, 8192), 11025u * 2);
    BYTE spare[16];
    EXPECT_EQ(source.ReadPcm(spare, 16), 0u);
}

TEST(SoundSource, StereoReadsStopAtTheTotalAndInWholeFrames)
{
    std::vector<BYTE> ogg = EncodeTone(11025, 2, 11025);
    CSoundSource source;
    ASSERT_TRUE(source.OpenMemory(ogg.data(), static_cast<DWORD>(ogg.size())));
    EXPECT_EQ(source.GetBytesPerFrame(), 4);
    std::vector<BYTE> half(22050); // half a second of 11025 Hz stereo is not a whole number of frames
    EXPECT_EQ(source.ReadPcm(half.data(), 22050), 22048u);
    EXPECT_EQ(ReadAll(source, 22050), 11025u * 4 - 22048u);
}

// The lookup is process-wide: it is taken away again however the test ends.
struct LookupGuard {
    ~LookupGuard() { CSoundSource::SetResourceLookup(nullptr); }
};

TEST(SoundSource, ResourceSoundsComeThroughTheLookupAndLoseTwentyMilliseconds)
{
    LookupGuard guard;
    static std::vector<BYTE> stereo = EncodeTone(44100, 2, 44100);
    static std::vector<BYTE> mono = EncodeTone(22050, 1, 22050);
    CSoundSource none;
    EXPECT_FALSE(none.OpenResource(14464)); // no lookup installed yet

    CSoundSource::SetResourceLookup([](WORD id, const BYTE** data, DWORD* size) {
        const std::vector<BYTE>* blob = id == 14464 ? &stereo : id == 7 ? &mono : nullptr;
        if (!blob)
            return false;
        *data = blob->data();
        *size = static_cast<DWORD>(blob->size());
        return true;
    });
    CSoundSource a, b, c, missing;
    ASSERT_TRUE(a.OpenResourceByName(L"14464"));
    EXPECT_EQ(a.GetTotalFrames(), 44100u - 3528u);
    EXPECT_EQ(ReadAll(a, 8192), (44100u - 3528u) * 4);
    ASSERT_TRUE(b.OpenResource(7));
    EXPECT_EQ(b.GetTotalFrames(), 22050u - 882u);
    ASSERT_TRUE(c.OpenResourceByName(L"65543")); // only the low 16 bits name the resource
    EXPECT_FALSE(missing.OpenResource(8));
    CSoundSource::SetResourceLookup(nullptr);

    // The same bytes from memory are not shortened.
    CSoundSource plain;
    ASSERT_TRUE(plain.OpenMemory(stereo.data(), static_cast<DWORD>(stereo.size())));
    EXPECT_EQ(plain.GetTotalFrames(), 44100u);
}

TEST(SoundSource, NamesThatAreNotNumbersAreFiles)
{
    std::vector<BYTE> ogg = EncodeTone(44000, 2, 4400);
    const testing_support::ScratchFolder folder;
    const auto path = folder.path() / "звук.ogg";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(ogg.data(), 1, ogg.size(), f);
    std::fclose(f);

    CSoundSource file;
    ASSERT_TRUE(file.OpenResourceByName(platform::FromUtf8(path.string())));
    EXPECT_EQ(file.GetRate(), 44000);
    EXPECT_EQ(ReadAll(file, 8192), 4400u * 4);

    CSoundSource absent;
    EXPECT_FALSE(absent.OpenResourceByName(L"no such sound.ogg"));
}

TEST(SoundSource, DataThatIsNotVorbisIsRefused)
{
    std::vector<BYTE> junk(5000, 0x4F);
    CSoundSource a;
    EXPECT_FALSE(a.OpenMemory(junk.data(), static_cast<DWORD>(junk.size())));
    BYTE buffer[64];
    EXPECT_EQ(a.ReadPcm(buffer, 64), 0u);

    std::vector<BYTE> ogg = EncodeTone(22050, 1, 2205);
    ogg.resize(ogg.size() / 3); // cut short: the headers may still be there, the stream is not whole
    CSoundSource cut;
    if (cut.OpenMemory(ogg.data(), static_cast<DWORD>(ogg.size()))) {
        EXPECT_LE(ReadAll(cut, 4096), cut.GetTotalFrames() * 2u);
    }
}

TEST(SoundSource, MemorySeekPastTheEndMakesLaterReadsEmpty)
{
    BYTE data[10] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 };
    CSoundSource::MemoryBlock block { data, 0, sizeof data };
    ov_callbacks cb = CSoundSource::MemoryCallbacks();
    BYTE out[16] = {};
    EXPECT_EQ(cb.read_func(out, 1, 4, &block), 4u);
    EXPECT_EQ(cb.seek_func(&block, 6, SEEK_CUR), 0);
    EXPECT_EQ(cb.tell_func(&block), 10);
    EXPECT_EQ(cb.read_func(out, 1, 4, &block), 0u);
    EXPECT_EQ(cb.seek_func(&block, 5, SEEK_END), 0);
    EXPECT_EQ(cb.read_func(out, 1, 16, &block), 0u);
    EXPECT_EQ(cb.seek_func(&block, -4, SEEK_END), 0);
    EXPECT_EQ(cb.read_func(out, 2, 8, &block), 4u); // only what is left of the block
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(cb.seek_func(&block, 0, 42), -1);
}

} // namespace
