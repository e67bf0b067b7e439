// Test sounds made on the spot: a sine tone of a known length encoded as Ogg Vorbis in memory.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include <vorbis/vorbisenc.h>

#include "platform/win32.h"

namespace soundtest {

// A sine tone encoded as Ogg Vorbis in memory.
inline std::vector<BYTE> EncodeTone(int rate, int channels, long frames, double hz = 440)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, 0.4f) != 0) {
        vorbis_info_clear(&info);
        return {};
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);
    std::vector<BYTE> out;
    auto append = [&](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, comm, code;
    vorbis_analysis_headerout(&dsp, &comment, &header, &comm, &code);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &comm);
    ogg_stream_packetin(&stream, &code);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page))
        append(page);

    for (long done = 0; done <= frames;) {
        long n = std::min(1024L, frames - done);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            for (long i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = 0.5f * static_cast<float>(std::sin(2 * M_PI * hz * (done + i) / rate));
        }
        vorbis_analysis_wrote(&dsp, static_cast<int>(n));
        done += n > 0 ? n : 1;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page))
                    append(page);
            }
        }
    }
    while (ogg_stream_flush(&stream, &page))
        append(page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

} // namespace soundtest
