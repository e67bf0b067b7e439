// Encodes pictures into an Ogg Theora 4:2:0 clip in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

struct TheoraClipFormat {
    int width = 320; // the visible picture
    int height = 240;
    int picture_x = 0; // where the visible picture lies in the coded frame
    int picture_y = 0;
    int fps = 12;
    int quality = 48; // 0 … 63
    uint32_t serial = 1; // the logical stream's serial number
};

using OggPageBytes = std::vector<uint8_t>;

// The clip as Ogg pages: one page per header packet, then one page per frame.
struct TheoraClip {
    std::vector<OggPageBytes> pages;
    int header_pages = 0;

    std::vector<uint8_t> Bytes() const;
};

class TheoraClipWriter {
public:
    explicit TheoraClipWriter(const TheoraClipFormat& format);
    ~TheoraClipWriter();
    TheoraClipWriter(const TheoraClipWriter&) = delete;
    TheoraClipWriter& operator=(const TheoraClipWriter&) = delete;

    // Planes of the visible picture: Y is width × height, U and V are half that on each side (rounded up).
    void AddYuvFrame(const uint8_t* y, const uint8_t* u, const uint8_t* v);
    // Packed 8-bit red, green, blue triplets, width × height, in studio-range BT.601.
    void AddRgbFrame(const uint8_t* rgb);
    // Ends the stream; the writer takes no more frames.
    TheoraClip Finish();

private:
    struct Plane {
        int width = 0;
        int height = 0;
        std::vector<uint8_t> bytes;
    };

    void EncodePending(bool last);
    void TakePages();

    TheoraClipFormat format_;
    struct Encoder;
    std::unique_ptr<Encoder> encoder_;
    Plane planes_[3];
    bool pending_ = false;
    bool finished_ = false;
    TheoraClip clip_;
};
