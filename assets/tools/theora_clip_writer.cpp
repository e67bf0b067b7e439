#include "assets/tools/theora_clip_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include <ogg/ogg.h>
#include <theora/theoraenc.h>

namespace {

int RoundUpTo16(int n)
{
    return (n + 15) & ~15;
}

uint8_t ClampByte(int v)
{
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

OggPageBytes PageBytes(const ogg_page& page)
{
    OggPageBytes bytes(page.header, page.header + page.header_len);
    bytes.insert(bytes.end(), page.body, page.body + page.body_len);
    return bytes;
}

} // namespace

struct TheoraClipWriter::Encoder {
    th_enc_ctx* context = nullptr;
    ogg_stream_state stream {};

    ~Encoder()
    {
        th_encode_free(context);
        ogg_stream_clear(&stream);
    }
};

std::vector<uint8_t> TheoraClip::Bytes() const
{
    std::vector<uint8_t> bytes;
    for (const OggPageBytes& page : pages)
        bytes.insert(bytes.end(), page.begin(), page.end());
    return bytes;
}

TheoraClipWriter::TheoraClipWriter(const TheoraClipFormat& format)
    : format_(format)
    , encoder_(std::make_unique<Encoder>())
{
    th_info info;
    th_info_init(&info);
    info.frame_width = RoundUpTo16(format.picture_x + format.width);
    info.frame_height = RoundUpTo16(format.picture_y + format.height);
    info.pic_width = format.width;
    info.pic_height = format.height;
    info.pic_x = format.picture_x;
    info.pic_y = format.picture_y;
    info.fps_numerator = format.fps;
    info.fps_denominator = 1;
    info.aspect_numerator = 1;
    info.aspect_denominator = 1;
    info.colorspace = TH_CS_UNSPECIFIED;
    info.pixel_fmt = TH_PF_420;
    info.quality = format.quality;
    encoder_->context = th_encode_alloc(&info);
    const int frame_width = static_cast<int>(info.frame_width);
    const int frame_height = static_cast<int>(info.frame_height);
    th_info_clear(&info);
    if (!encoder_->context)
        throw std::invalid_argument("the Theora encoder refuses this clip format");
    ogg_stream_init(&encoder_->stream, static_cast<int>(format.serial));

    planes_[0] = { frame_width, frame_height, std::vector<uint8_t>(frame_width * frame_height, 16) };
    for (int i = 1; i < 3; ++i)
        planes_[i] = { frame_width / 2, frame_height / 2, std::vector<uint8_t>(frame_width * frame_height / 4, 128) };

    th_comment comment;
    th_comment_init(&comment);
    ogg_packet packet;
    while (th_encode_flushheader(encoder_->context, &comment, &packet) > 0) {
        ogg_stream_packetin(&encoder_->stream, &packet);
        TakePages();
    }
    th_comment_clear(&comment);
    clip_.header_pages = static_cast<int>(clip_.pages.size());
}

TheoraClipWriter::~TheoraClipWriter() = default;

void TheoraClipWriter::AddYuvFrame(const uint8_t* y, const uint8_t* u, const uint8_t* v)
{
    if (finished_)
        throw std::logic_error("the clip is already finished");
    if (pending_)
        EncodePending(false);
    const uint8_t* sources[3] = { y, u, v };
    for (int i = 0; i < 3; ++i) {
        const int shift = i == 0 ? 0 : 1;
        const int width = (format_.width + shift) >> shift;
        const int height = (format_.height + shift) >> shift;
        Plane& plane = planes_[i];
        uint8_t* origin
            = plane.bytes.data() + (format_.picture_y >> shift) * plane.width + (format_.picture_x >> shift);
        for (int row = 0; row < height; ++row)
            std::memcpy(origin + row * plane.width, sources[i] + row * width, width);
    }
    pending_ = true;
}

void TheoraClipWriter::AddRgbFrame(const uint8_t* rgb)
{
    const int w = format_.width;
    const int h = format_.height;
    const int cw = (w + 1) / 2;
    const int ch = (h + 1) / 2;
    std::vector<uint8_t> y(w * h), u(cw * ch), v(cw * ch);
    std::vector<int> u_sum(cw * ch), v_sum(cw * ch), count(cw * ch);
    for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; ++col) {
            const uint8_t* p = rgb + 3 * (row * w + col);
            const int r = p[0], g = p[1], b = p[2];
            y[row * w + col] = ClampByte(16 + ((66 * r + 129 * g + 25 * b + 128) >> 8));
            const int c = (row / 2) * cw + col / 2;
            u_sum[c] += -38 * r - 74 * g + 112 * b;
            v_sum[c] += 112 * r - 94 * g - 18 * b;
            ++count[c];
        }
    }
    for (size_t c = 0; c < u.size(); ++c) {
        u[c] = ClampByte(128 + static_cast<int>(std::lround(u_sum[c] / (256.0 * count[c]))));
        v[c] = ClampByte(128 + static_cast<int>(std::lround(v_sum[c] / (256.0 * count[c]))));
    }
    AddYuvFrame(y.data(), u.data(), v.data());
}

TheoraClip TheoraClipWriter::Finish()
{
    if (!finished_) {
        if (pending_)
            EncodePending(true);
        TakePages();
        finished_ = true;
    }
    return clip_;
}

void TheoraClipWriter::EncodePending(bool last)
{
    th_ycbcr_buffer buffer;
    for (int i = 0; i < 3; ++i) {
        buffer[i].width = planes_[i].width;
        buffer[i].height = planes_[i].height;
        buffer[i].stride = planes_[i].width;
        buffer[i].data = planes_[i].bytes.data();
    }
    if (th_encode_ycbcr_in(encoder_->context, buffer) != 0)
        throw std::runtime_error("the Theora encoder refused a frame");
    ogg_packet packet;
    while (th_encode_packetout(encoder_->context, last ? 1 : 0, &packet) > 0)
        ogg_stream_packetin(&encoder_->stream, &packet);
    TakePages();
    pending_ = false;
}

// Every flush ends a page, so each frame has a page of its own.
void TheoraClipWriter::TakePages()
{
    ogg_page page;
    while (ogg_stream_flush(&encoder_->stream, &page))
        clip_.pages.push_back(PageBytes(page));
}
