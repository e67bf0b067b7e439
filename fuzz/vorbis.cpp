// Ogg Vorbis sounds decoded from memory as the sound system plays them: opened, read through, rewound, read again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/sound/sound_source.h"

namespace {

// Reads at most limit bytes of PCM in the sound system's chunk size.
void ReadThrough(CSoundSource& source, DWORD limit)
{
    std::vector<BYTE> chunk(16384);
    for (DWORD read = 0; read < limit;) {
        DWORD got = source.ReadPcm(chunk.data(), static_cast<DWORD>(chunk.size()));
        if (got == 0 || got > chunk.size())
            break;
        read += got;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CSoundSource source;
    if (!source.OpenMemory(data, static_cast<DWORD>(size)))
        return 0;
    ReadThrough(source, 1 << 22);
    if (ov_pcm_seek(source.GetDecoder(), 0) == 0)
        ReadThrough(source, 1 << 16);
    return 0;
}
