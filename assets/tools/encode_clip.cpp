// Encodes raw RGB frames into an Ogg Theora 4:2:0 clip with the project's clip writer.
// Built and run by assets/generators/praise_clips.py; the program's build does not need it.
//
//   encode_clip <width> <height> <fps> <quality> <serial> <frames.rgb> <clip.ogv>
//
// frames.rgb holds whole frames of width × height packed 8-bit red, green, blue triplets, top row first.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "assets/tools/theora_clip_writer.h"

namespace {

int Number(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < 0 || value > 0x7FFFFFFF)
        throw std::invalid_argument(std::string("not a number: ") + text);
    return static_cast<int>(value);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 8) {
        std::fprintf(stderr, "usage: %s width height fps quality serial frames.rgb clip.ogv\n", argv[0]);
        return 2;
    }
    try {
        TheoraClipFormat format;
        format.width = Number(argv[1]);
        format.height = Number(argv[2]);
        format.fps = Number(argv[3]);
        format.quality = Number(argv[4]);
        format.serial = static_cast<uint32_t>(Number(argv[5]));

        std::ifstream in(argv[6], std::ios::binary);
        if (!in)
            throw std::runtime_error(std::string("cannot read ") + argv[6]);
        const std::vector<uint8_t> rgb((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t frame_bytes = static_cast<size_t>(format.width) * format.height * 3;
        if (frame_bytes == 0 || rgb.empty() || rgb.size() % frame_bytes != 0)
            throw std::runtime_error(std::string("not whole frames: ") + argv[6]);

        TheoraClipWriter writer(format);
        for (size_t at = 0; at < rgb.size(); at += frame_bytes)
            writer.AddRgbFrame(rgb.data() + at);
        const std::vector<uint8_t> clip = writer.Finish().Bytes();

        std::ofstream out(argv[7], std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(clip.data()), static_cast<std::streamsize>(clip.size()));
        if (!out)
            throw std::runtime_error(std::string("cannot write ") + argv[7]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "encode_clip: %s\n", error.what());
        return 1;
    }
    return 0;
}
