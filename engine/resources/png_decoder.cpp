#include "engine/resources/png_decoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <istream>

#include "platform/text/utf8.h"

namespace {

constexpr size_t kSignatureBytes = 8;
constexpr double kScreenGamma = 2.2;

// State of one decode, kept in the frame of DecodePng. Plain members only: libpng errors long-jump over the
// decoding frame, which therefore owns nothing that needs destroying.
struct PngDecode {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_bytep* rows = nullptr;
    ImageSink* sink = nullptr;
    bool sink_open = false;
    std::exception_ptr* pending = nullptr;
    UINT* width = nullptr;
    UINT* height = nullptr;
};

void SetTransforms(png_structp png, png_infop info)
{
    const int depth = png_get_bit_depth(png, info);
    const int type = png_get_color_type(png, info);
    if (depth == 16)
        png_set_strip_16(png);
    if (type == PNG_COLOR_TYPE_PALETTE || (type == PNG_COLOR_TYPE_GRAY && depth < 8))
        png_set_expand(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    // Whatever ends without alpha (including a picture composited over its background) gets an opaque byte,
    // so every row is four bytes a pixel.
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_color_16p background = nullptr;
    if (png_get_bKGD(png, info, &background))
        png_set_background(png, background, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    double file_gamma = 0;
    if (png_get_gAMA(png, info, &file_gamma))
        png_set_gamma(png, kScreenGamma, file_gamma);
    png_set_interlace_handling(png);
}

bool RunPngDecode(PngDecode* d)
{
    if (setjmp(png_jmpbuf(d->png)))
        return false;
    png_set_sig_bytes(d->png, kSignatureBytes);
    png_read_info(d->png, d->info);
    SetTransforms(d->png, d->info);
    png_read_update_info(d->png, d->info);
    const png_uint_32 width = png_get_image_width(d->png, d->info);
    const png_uint_32 height = png_get_image_height(d->png, d->info);
    *d->width = width;
    *d->height = height;
    if (png_get_bit_depth(d->png, d->info) != 8 || png_get_channels(d->png, d->info) != 4)
        png_error(d->png, "unsupported pixel layout");

    ImageTarget target;
    if (!BeginImage(*d->sink, width, height, &target, d->pending))
        return false;
    d->sink_open = true;
    if (!TargetFits(target, width, height))
        png_error(d->png, "the texture is smaller than the picture");
    d->rows = static_cast<png_bytep*>(png_malloc_warn(d->png, sizeof(png_bytep) * height));
    if (!d->rows)
        png_error(d->png, "Visual PNG: out of memory");
    for (png_uint_32 y = 0; y < height; ++y)
        d->rows[y] = target.bits + static_cast<size_t>(y) * target.pitch;
    png_read_image(d->png, d->rows);
    png_read_end(d->png, nullptr);
    return true;
}

} // namespace

void PngErrorHandler(png_structp png, png_const_charp message)
{
    std::fprintf(stderr, "libpng error: %s\n", message);
    png_longjmp(png, 1);
}

void PngMemoryRead(png_structp png, png_bytep out, png_size_t count)
{
    auto* reader = static_cast<PngMemoryReader*>(png_get_io_ptr(png));
    if (count > reader->length - reader->position)
        png_error(png, "read past the end of the picture");
    std::memcpy(out, reader->data + reader->position, count);
    reader->position += count;
}

void PngStreamRead(png_structp png, png_bytep out, png_size_t count)
{
    auto* in = static_cast<std::istream*>(png_get_io_ptr(png));
    in->read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count));
    if (static_cast<png_size_t>(in->gcount()) != count)
        png_error(png, "read past the end of the file");
}

png_structp CreatePngReadStruct()
{
    return png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngErrorHandler, nullptr);
}

bool DecodePng(png_structp png, ImageSink& sink, UINT* width, UINT* height)
{
    std::exception_ptr pending;
    PngDecode d;
    d.png = png;
    d.sink = &sink;
    d.pending = &pending;
    d.width = width;
    d.height = height;
    d.info = png_create_info_struct(png);
    const bool ok = d.info && RunPngDecode(&d);
    if (d.rows)
        png_free(png, d.rows);
    if (d.sink_open)
        sink.End(ok);
    png_destroy_read_struct(&png, d.info ? &d.info : nullptr, nullptr);
    if (pending)
        std::rethrow_exception(pending);
    return ok;
}

bool DecodePngFromMemory(const BYTE* data, size_t length, ImageSink& sink, UINT* width, UINT* height)
{
    if (!data || length < kSignatureBytes || png_sig_cmp(data, 0, kSignatureBytes) != 0)
        return false;
    png_structp png = CreatePngReadStruct();
    if (!png)
        return false;
    PngMemoryReader reader { data, length, kSignatureBytes };
    png_set_read_fn(png, &reader, PngMemoryRead);
    return DecodePng(png, sink, width, height);
}

bool DecodePngFromFile(const std::wstring& path, ImageSink& sink, UINT* width, UINT* height)
{
    std::ifstream in(platform::ToUtf8(path), std::ios::binary);
    if (!in)
        return false;
    png_byte signature[kSignatureBytes];
    if (!in.read(reinterpret_cast<char*>(signature), kSignatureBytes)
        || png_sig_cmp(signature, 0, kSignatureBytes) != 0)
        return false;
    png_structp png = CreatePngReadStruct();
    if (!png)
        return false;
    png_set_read_fn(png, static_cast<std::istream*>(&in), PngStreamRead);
    return DecodePng(png, sink, width, height);
}
