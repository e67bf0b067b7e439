#include "tests/engine/views/video/clip_fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>
#include <utility>

#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

#include "engine/resources/resource_manager.h"

namespace {

OggPageBytes PageBytes(const ogg_page& page)
{
    OggPageBytes bytes(page.header, page.header + page.header_len);
    bytes.insert(bytes.end(), page.body, page.body + page.body_len);
    return bytes;
}

TheoraClip GreyClip(int frames, TheoraClipFormat format, bool noisy)
{
    TheoraClipWriter writer(format);
    const int cw = (format.width + 1) / 2;
    const int ch = (format.height + 1) / 2;
    std::vector<uint8_t> u(cw * ch, 128), v(cw * ch, 128);
    std::mt19937 random(7);
    for (int k = 0; k < frames; ++k) {
        std::vector<uint8_t> y(format.width * format.height, static_cast<uint8_t>(FlatLevel(k)));
        for (int row = 0; noisy && row < format.height; ++row)
            for (int col = format.width / 2; col < format.width; ++col)
                y[row * format.width + col] = static_cast<uint8_t>(random());
        writer.AddYuvFrame(y.data(), u.data(), v.data());
    }
    return writer.Finish();
}

struct VorbisPages {
    std::vector<OggPageBytes> pages;
    int header_pages = 0;
};

// Half a second of silence, mono 22050 Hz.
VorbisPages SilentVorbis(int serial)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, 22050, 0.1f) != 0)
        throw std::runtime_error("vorbis_encode_init_vbr");
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    VorbisPages result;
    ogg_page page;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &header, &comments, &codebooks);
    ogg_stream_packetin(&stream, &header);
    while (ogg_stream_flush(&stream, &page))
        result.pages.push_back(PageBytes(page));
    ogg_stream_packetin(&stream, &comments);
    ogg_stream_packetin(&stream, &codebooks);
    while (ogg_stream_flush(&stream, &page))
        result.pages.push_back(PageBytes(page));
    result.header_pages = static_cast<int>(result.pages.size());

    const int samples = 11025;
    float** buffer = vorbis_analysis_buffer(&dsp, samples);
    std::fill(buffer[0], buffer[0] + samples, 0.0f);
    vorbis_analysis_wrote(&dsp, samples);
    vorbis_analysis_wrote(&dsp, 0);
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet))
            ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page))
            result.pages.push_back(PageBytes(page));
    }
    while (ogg_stream_flush(&stream, &page))
        result.pages.push_back(PageBytes(page));

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return result;
}

void Append(Bytes& out, const OggPageBytes& page)
{
    out.insert(out.end(), page.begin(), page.end());
}

} // namespace

int GreyOf(int y)
{
    return std::clamp((74 * (y - 16)) >> 6, 0, 255);
}

int FlatLevel(int k)
{
    return 32 + 20 * k;
}

TheoraClip FlatClip(int frames, TheoraClipFormat format)
{
    return GreyClip(frames, format, false);
}

TheoraClip NoisyClip(int frames, TheoraClipFormat format)
{
    return GreyClip(frames, format, true);
}

Bytes VorbisFirst(const TheoraClip& clip)
{
    const VorbisPages vorbis = SilentVorbis(77);
    Bytes out;
    Append(out, vorbis.pages[0]);
    Append(out, clip.pages[0]);
    for (int i = 1; i < vorbis.header_pages; ++i)
        Append(out, vorbis.pages[i]);
    for (int i = 1; i < clip.header_pages; ++i)
        Append(out, clip.pages[i]);
    size_t a = vorbis.header_pages, t = clip.header_pages;
    while (a < vorbis.pages.size() || t < clip.pages.size()) {
        if (a < vorbis.pages.size())
            Append(out, vorbis.pages[a++]);
        if (t < clip.pages.size())
            Append(out, clip.pages[t++]);
    }
    return out;
}

void SetPageChecksum(OggPageBytes& bytes)
{
    const size_t header_len = 27 + bytes[26];
    ogg_page page { bytes.data(), static_cast<long>(header_len), bytes.data() + header_len,
        static_cast<long>(bytes.size() - header_len) };
    ogg_page_checksum_set(&page);
}

Bytes WithPatchedPage(const TheoraClip& clip, int index, size_t offset, uint8_t (*patch)(uint8_t))
{
    TheoraClip patched = clip;
    OggPageBytes& bytes = patched.pages.at(index);
    uint8_t& target = bytes.at(27 + bytes[26] + offset);
    target = patch(target);
    SetPageChecksum(bytes);
    return patched.Bytes();
}

std::vector<DWORD> LiveFrameTextures()
{
    const IMResourceManager* rm = IMResourceManager::Instance();
    std::vector<std::pair<std::wstring, DWORD>> named;
    for (DWORD id = 0; rm && id < rm->GetTextureCount(); ++id)
        if (const IMTexture* t = rm->GetTextureRecord(id); t && t->name.starts_with(L"IMTheoraView"))
            named.emplace_back(t->name, id);
    std::sort(named.begin(), named.end());
    std::vector<DWORD> ids;
    for (const auto& [name, id] : named)
        ids.push_back(id);
    return ids;
}

namespace {

// The texels as the texture holds them, or as they would come back from the pixel copy while released; rows of
// pitch bytes.
std::vector<BYTE> Texels(DWORD id, int* pitch)
{
    const IMTexture* t = IMResourceManager::Instance()->GetTextureRecord(id);
    if (!t)
        throw std::out_of_range("no such texture");
    D3DLOCKED_RECT locked;
    if (!t->texture || FAILED(t->texture->LockRect(0, &locked, nullptr, 0))) {
        *pitch = t->pixel_copy_pitch;
        return t->pixel_copy;
    }
    const BYTE* bits = static_cast<const BYTE*>(locked.pBits);
    std::vector<BYTE> texels(bits, bits + static_cast<size_t>(locked.Pitch) * t->texture_height);
    t->texture->UnlockRect(0);
    *pitch = locked.Pitch;
    return texels;
}

} // namespace

uint32_t TexturePixel(DWORD id, int x, int y)
{
    int pitch = 0;
    const std::vector<BYTE> texels = Texels(id, &pitch);
    uint32_t pixel = 0;
    std::memcpy(&pixel, texels.data() + static_cast<size_t>(y) * pitch + 4 * x, 4);
    return pixel;
}

int FlatFrame(DWORD id)
{
    const RECT image = IMResourceManager::Instance()->GetTextureRecord(id)->image_rect;
    const int xs[] = { 1, image.right / 4, image.right / 2 - 2 };
    const int ys[] = { 1, image.bottom / 2, image.bottom - 2 };
    const int grey = TexturePixel(id, xs[1], ys[1]) & 0xFF;
    int frame = -1;
    for (int k = 0; k < 11; ++k)
        if (std::abs(GreyOf(FlatLevel(k)) - grey) <= 5)
            frame = k;
    for (int x : xs) {
        for (int y : ys) {
            const uint32_t p = TexturePixel(id, x, y);
            const int b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF;
            if (p >> 24 != 0 || std::abs(b - grey) > 3 || std::abs(g - grey) > 3 || std::abs(r - grey) > 3)
                return -1;
        }
    }
    return frame;
}

bool NothingBelowThePicture(DWORD id)
{
    int pitch = 0;
    const std::vector<BYTE> texels = Texels(id, &pitch);
    const size_t picture_end = static_cast<size_t>(pitch)
        * static_cast<size_t>(IMResourceManager::Instance()->GetTextureRecord(id)->image_rect.bottom);
    return std::all_of(texels.begin() + static_cast<std::ptrdiff_t>(std::min(picture_end, texels.size())), texels.end(),
        [](BYTE b) { return b == 0; });
}
