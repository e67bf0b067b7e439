#include "engine/views/theora_view.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "engine/resources/resource_manager.h"
#include "engine/views/yuv_converter.h"

namespace {

constexpr size_t kFeedChunk = 8192;

// The widest and tallest texture the device makes. A damaged header can claim frames of a million pixels a side,
// which would only exhaust memory in the decoder and the texture table.
constexpr ogg_uint32_t kLargestFrameSide = 4096;

// Names the textures of each clip apart: "IMTheoraView1" and "IMTheoraView2" followed by this number.
int g_clips_opened = 0;

[[noreturn]] void Fail(const char* message)
{
    throw std::runtime_error(message);
}

} // namespace

IMTheoraView::IMTheoraView()
{
    StartDecoding();
}

IMTheoraView::~IMTheoraView()
{
    ReleaseTextures();
    ClearDecoding();
}

void IMTheoraView::StartDecoding()
{
    ogg_sync_init(&sync_);
    theora_info_init(&info_);
    theora_comment_init(&comment_);
}

// The decoder goes before the comment and the info it was set up from.
void IMTheoraView::ClearDecoding()
{
    ogg_stream_clear(&stream_);
    theora_clear(&decoder_);
    theora_comment_clear(&comment_);
    theora_info_clear(&info_);
    ogg_sync_clear(&sync_);
    decoding_ = false;
    headers_ = 0;
}

// Gives back the view's own references; the texture shown keeps the one its texture-view part holds.
void IMTheoraView::ReleaseTextures()
{
    if (!has_textures_)
        return;
    has_textures_ = false;
    if (IMResourceManager* rm = IMResourceManager::Instance()) {
        rm->ReleaseTexture(shown_texture_);
        rm->ReleaseTexture(back_texture_);
    }
}

void IMTheoraView::Open(const void* data, size_t size)
{
    frame_ready_.Reset();
    decode_request_.Reset();
    ReleaseTextures();
    ClearDecoding();
    StartDecoding();
    data_ = static_cast<const BYTE*>(data);
    size_ = size;
    offset_ = 0;
    last_decoded_ = 0;
    requested_ = 0;
    try {
        ReadHeaders();
        CreateTextures();
        DecodeNextFrame();
    } catch (...) {
        end_ = -1;
        throw;
    }
}

size_t IMTheoraView::FeedData()
{
    const size_t n = std::min(size_ - offset_, kFeedChunk);
    if (n == 0)
        return 0;
    char* buffer = ogg_sync_buffer(&sync_, static_cast<long>(n));
    if (!buffer)
        return 0;
    std::memcpy(buffer, data_ + offset_, n);
    offset_ += n;
    ogg_sync_wrote(&sync_, static_cast<long>(n));
    return n;
}

void IMTheoraView::ReadHeaders()
{
    headers_ = 0;
    FindTheoraStream();
    ReadSecondaryHeaders();
    if (info_.width > kLargestFrameSide || info_.height > kLargestFrameSide)
        Fail("error during theora_decode_header (corrupt stream)");
    // Unchecked, a decoder that could not be set up would be used as if it had been.
    if (theora_decode_init(&decoder_, &info_) != 0)
        Fail("error during theora_decode_init");
    decoding_ = true;
}

// Walks the beginning-of-stream pages up to the first data page; the first stream whose header Theora accepts
// becomes the view's stream.
void IMTheoraView::FindTheoraStream()
{
    for (;;) {
        if (FeedData() == 0)
            Fail("eof searched, terminate...");
        int result;
        while ((result = ogg_sync_pageout(&sync_, &page_)) != 0) {
            if (result < 0)
                continue;
            if (!ogg_page_bos(&page_)) {
                ogg_stream_pagein(&stream_, &page_);
                return;
            }
            TakeBeginningPage();
        }
    }
}

void IMTheoraView::TakeBeginningPage()
{
    ogg_stream_state scratch {};
    if (ogg_stream_init(&scratch, ogg_page_serialno(&page_)) != 0)
        Fail("error during ogg_stream_init");
    if (ogg_stream_pagein(&scratch, &page_) != 0) {
        ogg_stream_clear(&scratch);
        Fail("error during ogg_stream_pagein");
    }
    const int result = ogg_stream_packetout(&scratch, &packet_);
    if (result < 0) {
        ogg_stream_clear(&scratch);
        Fail("error during ogg_stream_packetout");
    }
    // A page without a whole packet has nothing to show the decoder.
    if (headers_ == 0 && result > 0 && theora_decode_header(&info_, &comment_, &packet_) >= 0) {
        stream_ = scratch;
        headers_ = 1;
        return;
    }
    ogg_stream_clear(&scratch);
}

// A page is taken only when no header packet is waiting, so the data may end right after the last header.
void IMTheoraView::ReadSecondaryHeaders()
{
    while (headers_ < 3) {
        const int result = ogg_stream_packetout(&stream_, &packet_);
        if (result < 0)
            Fail("error during ogg_stream_packetout");
        if (result > 0) {
            if (theora_decode_header(&info_, &comment_, &packet_) < 0)
                Fail("error during theora_decode_header (corrupt stream)");
            ++headers_;
            continue;
        }
        const int page = ogg_sync_pageout(&sync_, &page_);
        if (page > 0)
            ogg_stream_pagein(&stream_, &page_);
        else if (page == 0 && FeedData() == 0)
            Fail("eof searched. terminate...");
    }
}

// Showing the first texture also sets the source rectangle to the frame: the texture's image rectangle.
void IMTheoraView::CreateTextures()
{
    IMResourceManager* rm = IMResourceManager::Instance();
    if (!rm)
        Fail("no texture table for the frame textures");
    const int width = static_cast<int>(info_.frame_width);
    const int height = static_cast<int>(info_.frame_height);
    const std::wstring number = std::to_wstring(g_clips_opened++);
    shown_texture_ = rm->CreateFrameTexture(L"IMTheoraView1" + number, width, height, D3DFMT_X8R8G8B8);
    back_texture_ = rm->CreateFrameTexture(L"IMTheoraView2" + number, width, height, D3DFMT_X8R8G8B8);
    has_textures_ = true;
    if (shown_texture_ == IMResourceManager::kNoTexture || back_texture_ == IMResourceManager::kNoTexture)
        Fail("the frame textures cannot be created");
    SetTextureId(shown_texture_);
}

// Ready pages are taken before more data is fed, so pages left over from the header reading still count when
// the data is already used up.
bool IMTheoraView::NextPacket()
{
    for (;;) {
        const int result = ogg_stream_packetout(&stream_, &packet_);
        if (result > 0)
            return true;
        if (result < 0)
            continue;
        bool paged = false;
        int page;
        while ((page = ogg_sync_pageout(&sync_, &page_)) != 0) {
            if (page > 0) {
                ogg_stream_pagein(&stream_, &page_);
                paged = true;
            }
        }
        if (!paged && FeedData() == 0)
            return false;
    }
}

void IMTheoraView::DecodePacket()
{
    if (theora_decode_packetin(&decoder_, &packet_) == OC_BADPACKET)
        Fail("error during theora_decode_packetin...");
    if (theora_decode_YUVout(&decoder_, &picture_) != 0)
        Fail("error during theora_decode_YUVout...");
}

void IMTheoraView::DecodeNextFrame()
{
    if (!NextPacket()) {
        end_ = last_decoded_;
        current_ = 0;
        frame_ready_.Set();
        return;
    }
    DecodePacket();
    ConvertIntoBackTexture();
    frame_ready_.Set();
}

void IMTheoraView::SetFrame(int n)
{
    if (!frame_ready_.Take()) {
        current_ = n;
        return;
    }
    current_ = n;
    SetTextureId(back_texture_);
    requested_ = n + 1;
    std::swap(shown_texture_, back_texture_);
    decode_request_.Set();
    SeekFrame();
}

// On a decoding error the clip ends at the last good frame and the view stays ready for the next call.
int IMTheoraView::SeekFrame()
{
    if (!decode_request_.Take())
        return 0;
    try {
        if (last_decoded_ > requested_)
            Rewind();
        // The end frame is the last frame shown, so it is decoded too.
        while (decoding_ && last_decoded_ < requested_ && requested_ <= end_) {
            if (!NextPacket()) {
                end_ = last_decoded_;
                break;
            }
            DecodePacket();
            ++last_decoded_;
        }
        if (decoding_ && requested_ == last_decoded_ && !DeviceLost())
            ConvertIntoBackTexture();
    } catch (...) {
        end_ = last_decoded_;
        frame_ready_.Set();
        throw;
    }
    frame_ready_.Set();
    return 1;
}

void IMTheoraView::Rewind()
{
    ClearDecoding();
    StartDecoding();
    offset_ = 0;
    last_decoded_ = -1;
    ReadHeaders();
}

bool IMTheoraView::DeviceLost()
{
    IMResourceManager* rm = IMResourceManager::Instance();
    return !rm || rm->IsDeviceLost();
}

void IMTheoraView::ConvertIntoBackTexture()
{
    if (IMResourceManager* rm = IMResourceManager::Instance())
        rm->WriteTexturePixels(
            back_texture_, [this](BYTE* bits, int pitch, int height) { WritePicture(bits, pitch, height); });
}

// The decoded picture is the whole coded frame, which may be wider or taller than the texture when the visible
// frame is small or offset; only what fits the locked texture is written.
void IMTheoraView::WritePicture(BYTE* bits, int pitch, int image_height) const
{
    const int rows = std::min(picture_.y_height, image_height);
    const int room = pitch / 4;
    if (room >= 16) {
        const int columns = std::min((picture_.y_width + 15) & ~15, room & ~15);
        ConvertYuvFrame(
            bits, pitch, picture_.y, picture_.u, picture_.v, picture_.y_stride, picture_.uv_stride, columns, rows);
        return;
    }
    if (room <= 0 || rows <= 0)
        return;
    constexpr int kStripPitch = 16 * 4;
    std::vector<BYTE> strip(static_cast<size_t>(kStripPitch) * rows);
    ConvertYuvFrame(
        strip.data(), kStripPitch, picture_.y, picture_.u, picture_.v, picture_.y_stride, picture_.uv_stride, 16, rows);
    for (int row = 0; row < rows; ++row)
        std::memcpy(
            bits + static_cast<size_t>(row) * pitch, strip.data() + row * kStripPitch, static_cast<size_t>(room) * 4);
}
