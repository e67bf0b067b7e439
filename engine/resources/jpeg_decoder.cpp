#include "engine/resources/jpeg_decoder.h"

#include <fstream>
#include <iterator>
#include <vector>

#include <jerror.h>

#include "platform/text/utf8.h"

namespace {

struct MemorySource {
    jpeg_source_mgr pub;
    bool ran_out;
};

const JOCTET kEndOfImage[2] = { 0xFF, JPEG_EOI };

void JpegSourceNoOp(j_decompress_ptr) { }

boolean JpegFillInputBuffer(j_decompress_ptr cinfo)
{
    auto* source = reinterpret_cast<MemorySource*>(cinfo->src);
    source->ran_out = true;
    WARNMS(cinfo, JWRN_JPEG_EOF);
    source->pub.next_input_byte = kEndOfImage;
    source->pub.bytes_in_buffer = sizeof(kEndOfImage);
    return TRUE;
}

void JpegSkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    jpeg_source_mgr* source = cinfo->src;
    if (static_cast<size_t>(count) > source->bytes_in_buffer) {
        JpegFillInputBuffer(cinfo);
        return;
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<size_t>(count);
}

void JpegErrorExit(j_common_ptr cinfo)
{
    cinfo->err->output_message(cinfo);
    longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, 1);
}

bool SourceRanOut(j_decompress_ptr cinfo)
{
    return cinfo->src && cinfo->src->fill_input_buffer == JpegFillInputBuffer
        && reinterpret_cast<MemorySource*>(cinfo->src)->ran_out;
}

void ConvertRow(const JSAMPLE* in, BYTE* out, UINT width, int components)
{
    for (UINT x = 0; x < width; ++x, out += 4) {
        switch (components) {
        case 1:
            out[0] = out[1] = out[2] = in[x];
            out[3] = 255;
            break;
        case 3:
            out[0] = in[3 * x + 2];
            out[1] = in[3 * x + 1];
            out[2] = in[3 * x];
            out[3] = 255;
            break;
        case 4:
            out[0] = in[4 * x + 2];
            out[1] = in[4 * x + 1];
            out[2] = in[4 * x];
            out[3] = in[4 * x + 3];
            break;
        default:
            return;
        }
    }
}

// State of one decode, kept in the frame of DecodeJpeg; plain members only, for libjpeg errors long-jump.
struct JpegDecode {
    ImageSink* sink = nullptr;
    bool sink_open = false;
    std::exception_ptr* pending = nullptr;
    UINT* width = nullptr;
    UINT* height = nullptr;
};

bool RunJpegDecode(j_decompress_ptr cinfo, JpegDecode* d)
{
    if (setjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump))
        return false;
    jpeg_read_header(cinfo, TRUE);
    jpeg_start_decompress(cinfo);
    const UINT width = cinfo->output_width;
    const UINT height = cinfo->output_height;
    *d->width = width;
    *d->height = height;
    ImageTarget target;
    if (!BeginImage(*d->sink, width, height, &target, d->pending))
        return false;
    d->sink_open = true;
    if (!TargetFits(target, width, height))
        return false;
    JSAMPARRAY row = cinfo->mem->alloc_sarray(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, width * cinfo->output_components, 1);
    while (cinfo->output_scanline < height) {
        BYTE* out = target.bits + static_cast<size_t>(cinfo->output_scanline) * target.pitch;
        if (jpeg_read_scanlines(cinfo, row, 1) != 1)
            return false;
        ConvertRow(row[0], out, width, cinfo->output_components);
    }
    jpeg_finish_decompress(cinfo);
    return !SourceRanOut(cinfo);
}

bool RunCreate(j_decompress_ptr cinfo, JpegErrorManager* errors, const BYTE* data, size_t length)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_CreateDecompress(cinfo, JPEG_LIB_VERSION, sizeof(*cinfo));
    JpegMemorySource(cinfo, data, length);
    return true;
}

} // namespace

bool CreateJpegDecompressor(j_decompress_ptr cinfo, JpegErrorManager* errors, const BYTE* data, size_t length)
{
    cinfo->err = jpeg_std_error(&errors->pub);
    errors->pub.error_exit = JpegErrorExit;
    if (RunCreate(cinfo, errors, data, length))
        return true;
    jpeg_destroy_decompress(cinfo);
    return false;
}

void JpegMemorySource(j_decompress_ptr cinfo, const BYTE* data, size_t length)
{
    auto* source = static_cast<MemorySource*>(
        cinfo->mem->alloc_small(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(MemorySource)));
    source->pub.next_input_byte = data;
    source->pub.bytes_in_buffer = data ? length : 0;
    source->pub.init_source = JpegSourceNoOp;
    source->pub.fill_input_buffer = JpegFillInputBuffer;
    source->pub.skip_input_data = JpegSkipInputData;
    source->pub.resync_to_restart = jpeg_resync_to_restart;
    source->pub.term_source = JpegSourceNoOp;
    source->ran_out = false;
    cinfo->src = &source->pub;
}

bool DecodeJpeg(j_decompress_ptr cinfo, ImageSink& sink, UINT* width, UINT* height)
{
    std::exception_ptr pending;
    JpegDecode d;
    d.sink = &sink;
    d.pending = &pending;
    d.width = width;
    d.height = height;
    const bool ok = RunJpegDecode(cinfo, &d);
    if (d.sink_open)
        sink.End(ok);
    jpeg_destroy_decompress(cinfo);
    if (pending)
        std::rethrow_exception(pending);
    return ok;
}

bool DecodeJpegFromMemory(const BYTE* data, size_t length, ImageSink& sink, UINT* width, UINT* height)
{
    jpeg_decompress_struct cinfo {};
    JpegErrorManager errors {};
    if (!CreateJpegDecompressor(&cinfo, &errors, data, length))
        return false;
    return DecodeJpeg(&cinfo, sink, width, height);
}

bool DecodeJpegFromFile(const std::wstring& path, ImageSink& sink, UINT* width, UINT* height)
{
    std::ifstream in(platform::ToUtf8(path), std::ios::binary);
    if (!in)
        return false;
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty())
        return false;
    return DecodeJpegFromMemory(bytes.data(), bytes.size(), sink, width, height);
}
