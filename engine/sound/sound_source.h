// One Ogg Vorbis sound, decoded incrementally: from a memory blob, an embedded resource or a file.
// Shared by the voices made from it and owned by the sound system's cache.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include <vorbis/vorbisfile.h>

#include "platform/win32.h"

class CSoundSource {
public:
    // The decoder's view of a memory or resource sound.
    struct MemoryBlock {
        const BYTE* data = nullptr;
        DWORD position = 0;
        DWORD size = 0;
    };

    // Finds an embedded sound by its 16-bit id in place of the resource functions (the program's own resources,
    // then the sibling store "Animations.dll"), which are used while none is set.
    using ResourceLookup = std::function<bool(WORD id, const BYTE** data, DWORD* size)>;
    static void SetResourceLookup(ResourceLookup lookup);

    // The decoder callbacks over a MemoryBlock (also used directly by tests).
    static ov_callbacks MemoryCallbacks();

    CSoundSource();
    ~CSoundSource();
    CSoundSource(const CSoundSource&) = delete;
    CSoundSource& operator=(const CSoundSource&) = delete;

    // Each fills channels, rate, bytes per frame and total frames; a source opens once.
    // The data must outlive the source.
    bool OpenMemory(const void* data, DWORD size);
    // A name that reads as an unsigned decimal number is a resource id (its low 16 bits), any other a path.
    bool OpenResourceByName(const std::wstring& name);
    // The total is shortened by 20 ms of frames, as the stored resource sounds end in padding.
    bool OpenResource(WORD id);
    bool OpenFile(const std::wstring& path);

    // At most n bytes of 16-bit signed little-endian interleaved PCM, in whole frames, never past the total.
    // A decoding error ends the read early.
    DWORD ReadPcm(void* destination, DWORD n);

    int GetChannels() const { return channels_; }
    int GetRate() const { return rate_; }
    int GetBytesPerFrame() const { return bytes_per_frame_; }
    DWORD GetTotalFrames() const { return total_frames_; }
    // For rewinding (ov_pcm_seek) before each playback; valid once opened.
    OggVorbis_File* GetDecoder() { return &decoder_; }

private:
    bool OpenDecoder(void* source, ov_callbacks callbacks);
    // The bytes of a resource; a sibling store they come from stays loaded as long as the source.
    bool FindResourceBytes(WORD id, const BYTE** data, DWORD* size);

    FILE* file_ = nullptr;
    HMODULE module_ = nullptr;
    MemoryBlock memory_;
    int channels_ = 0;
    int rate_ = 0;
    int bytes_per_frame_ = 0;
    DWORD total_frames_ = 0;
    OggVorbis_File decoder_;
    bool open_ = false;
};
