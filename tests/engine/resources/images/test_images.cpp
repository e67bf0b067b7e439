#include "tests/engine/resources/images/test_images.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<BYTE>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

std::vector<BYTE> PackRow(const PngPicture& picture, UINT y)
{
    std::vector<BYTE> row;
    unsigned bits = 0, filled = 0;
    for (UINT x = 0; x < picture.width; ++x) {
        for (unsigned sample : picture.pixel(x, y)) {
            if (picture.bit_depth == 16) {
                row.push_back(static_cast<BYTE>(sample >> 8));
                row.push_back(static_cast<BYTE>(sample));
            } else if (picture.bit_depth == 8) {
                row.push_back(static_cast<BYTE>(sample));
            } else {
                bits = (bits << picture.bit_depth) | sample;
                filled += picture.bit_depth;
                if (filled == 8) {
                    row.push_back(static_cast<BYTE>(bits));
                    bits = filled = 0;
                }
            }
        }
    }
    if (filled)
        row.push_back(static_cast<BYTE>(bits << (8 - filled)));
    return row;
}

} // namespace

std::vector<BYTE> MakePng(const PngPicture& picture)
{
    std::vector<BYTE> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, AppendBytes, nullptr);
    png_set_IHDR(png, info, picture.width, picture.height, picture.bit_depth, picture.color_type, PNG_INTERLACE_NONE,
        PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (const auto& c : picture.palette)
        palette.push_back(png_color { c[0], c[1], c[2] });
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    if (picture.gamma)
        png_set_gAMA(png, info, *picture.gamma);
    png_write_info(png, info);
    for (UINT y = 0; y < picture.height; ++y) {
        std::vector<BYTE> row = PackRow(picture, y);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<BYTE> SolidPng(BYTE r, BYTE g, BYTE b, UINT width, UINT height)
{
    PngPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixel = [=](UINT, UINT) { return std::vector<unsigned> { r, g, b }; };
    return MakePng(picture);
}

std::vector<BYTE> MakeJpeg(
    UINT width, UINT height, int components, const std::function<std::vector<BYTE>(UINT x, UINT y)>& pixel)
{
    jpeg_compress_struct cinfo {};
    jpeg_error_mgr errors {};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<BYTE> row(width * components);
    while (cinfo.next_scanline < height) {
        for (UINT x = 0; x < width; ++x) {
            auto samples = pixel(x, cinfo.next_scanline);
            std::memcpy(&row[x * components], samples.data(), components);
        }
        JSAMPROW rows[1] = { row.data() };
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<BYTE> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

bool MemorySink::Begin(UINT width, UINT height, ImageTarget* target)
{
    ++begins;
    surface_width = surface_height = 1;
    while (surface_width < width)
        surface_width *= 2;
    while (surface_height < height)
        surface_height *= 2;
    bits.assign(static_cast<size_t>(surface_width) * surface_height * 4, kUntouched);
    *target = ImageTarget { bits.data(), static_cast<int>(surface_width * 4), surface_width, surface_height };
    return true;
}

void MemorySink::End(bool whole)
{
    ++ends;
    complete = whole;
}

UINT MemorySink::Pixel(UINT x, UINT y) const
{
    const BYTE* p = &bits[(static_cast<size_t>(y) * surface_width + x) * 4];
    return (UINT(p[3]) << 24) | (UINT(p[2]) << 16) | (UINT(p[1]) << 8) | p[0];
}

bool MemorySink::UntouchedOutside(UINT width, UINT height) const
{
    for (UINT y = 0; y < surface_height; ++y)
        for (UINT x = 0; x < surface_width; ++x)
            if ((x >= width || y >= height) && Pixel(x, y) != 0xA5A5A5A5u)
                return false;
    return true;
}

GuardedBytes::GuardedBytes(const std::vector<BYTE>& bytes, size_t length)
{
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t data_pages = (length + page - 1) / page + 1;
    mapped_ = (data_pages + 1) * page;
    void* mapping = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        throw std::runtime_error("mmap failed");
    mapping_ = static_cast<BYTE*>(mapping);
    BYTE* guard = mapping_ + data_pages * page;
    mprotect(guard, page, PROT_NONE);
    BYTE* start = guard - length;
    std::memcpy(start, bytes.data(), length);
    data_ = start;
}

GuardedBytes::~GuardedBytes()
{
    munmap(mapping_, mapped_);
}
