#include "platform/headless/headless_presenter.h"

#include <cstdio>
#include <memory>

#include <png.h>

namespace platform::headless {

HeadlessPresenter::HeadlessPresenter()
{
    SetPresenter(this);
}

HeadlessPresenter::~HeadlessPresenter()
{
    if (GetPresenter() == this)
        SetPresenter(nullptr);
}

void HeadlessPresenter::Present(const uint32_t* pixels, int width, int height)
{
    frame_.assign(pixels, pixels + size_t(width) * size_t(height));
    width_ = width;
    height_ = height;
    ++present_count_;
}

// Tests run the loop at a thousand frames a second of test time: a frame is handed over, not copied.
void HeadlessPresenter::PresentDiscarding(std::vector<uint32_t>& pixels, int width, int height)
{
    if (frame_.size() != pixels.size()) {
        Present(pixels.data(), width, height);
        return;
    }
    frame_.swap(pixels);
    width_ = width;
    height_ = height;
    ++present_count_;
}

uint32_t HeadlessPresenter::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return 0;
    return frame_[size_t(y) * size_t(width_) + size_t(x)];
}

namespace {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// libpng reports errors by long jump; everything that needs cleaning up lives outside this function.
bool WriteRows(FILE* file, const std::vector<uint32_t>& pixels, int width, int height)
{
    std::vector<png_byte> row(size_t(width) * 3);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
        PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
            png_byte* out = row.data() + size_t(x) * 3;
            out[0] = png_byte(p >> 16);
            out[1] = png_byte(p >> 8);
            out[2] = png_byte(p);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool WriteRgbPng(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels)
{
    if (width <= 0 || height <= 0 || pixels.size() < size_t(width) * size_t(height))
        return false;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return false;
    bool ok = WriteRows(file.get(), pixels, width, height);
    return (std::fflush(file.get()) == 0) && ok;
}

bool HeadlessPresenter::SavePng(const std::string& path) const
{
    return WriteRgbPng(path, width_, height_, frame_);
}

} // namespace platform::headless
