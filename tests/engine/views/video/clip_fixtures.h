// Clips made by the tests themselves, and frame textures kept in plain memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/tools/theora_clip_writer.h"
#include "engine/views/theora_view.h"

using Bytes = std::vector<uint8_t>;

// What the converter makes of grey input at luma level y.
int GreyOf(int y);

// K flat grey frames, frame k at luma level FlatLevel(k).
int FlatLevel(int k);
TheoraClip FlatClip(int frames, TheoraClipFormat format = {});
// Like FlatClip, but with the right half of each frame full of noise, so that each frame takes many kilobytes.
TheoraClip NoisyClip(int frames, TheoraClipFormat format = {});

// A Vorbis stream first, then the Theora clip, multiplexed page by page.
Bytes VorbisFirst(const TheoraClip& clip);

// The clip with one body byte of one page changed and the page's checksum made valid again.
Bytes WithPatchedPage(const TheoraClip& clip, int page, size_t offset, uint8_t (*patch)(uint8_t));
// Makes the page's checksum match its content again.
void SetPageChecksum(OggPageBytes& page);

// Frame textures laid out as the texture table lays them out: power-of-two sides, four bytes a pixel, the
// pitch four times the allocated width. Guard bytes around each texture show writes out of bounds.
class MemoryFrameTextures {
public:
    struct Texture {
        std::wstring name;
        int width = 0;
        int height = 0;
        int allocated_width = 0;
        int allocated_height = 0;
        std::vector<uint8_t> memory;
        bool live = true;
        int writes = 0;
    };

    IMFrameTextureTable Table();

    uint32_t Pixel(DWORD id, int x, int y) const;
    // The frame of a flat clip that the texture holds, or −1 when it matches none.
    int FlatFrame(DWORD id) const;
    bool GuardsIntact() const;
    int Live() const;
    int Writes() const;

    std::vector<Texture> textures;
    bool device_lost = false;

private:
    static constexpr size_t kGuard = 256;
};
