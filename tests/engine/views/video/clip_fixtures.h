// Clips made by the tests themselves, and what the texture table holds of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/tools/theora_clip_writer.h"
#include "platform/win32.h"

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

// The frame textures the texture table holds now (named "IMTheoraView…"), by name.
std::vector<DWORD> LiveFrameTextures();
// The texel as the texture holds it, or as it would come back from its pixel copy while released.
uint32_t TexturePixel(DWORD id, int x, int y);
// The frame of a flat clip that the texture holds, or −1 when it matches none.
int FlatFrame(DWORD id);
// True while nothing was written below the picture: those rows are still as the table created them.
bool NothingBelowThePicture(DWORD id);
