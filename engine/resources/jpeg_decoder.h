// JPEG decoding with libjpeg straight into a caller's 32-bit surface. A picture libjpeg rejects makes the decode
// answer false: errors come back through our own error manager, never ending the process.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <string>

#include <jpeglib.h>

#include "engine/resources/image_sink.h"

struct JpegErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

// Creates a decompressor whose errors are written to standard error and jump back to the decode, and gives it
// the bytes as its source. False (with nothing to destroy) when libjpeg cannot make it.
bool CreateJpegDecompressor(j_decompress_ptr cinfo, JpegErrorManager* errors, const BYTE* data, size_t length);

// The whole picture is one buffer. When the decoder wants bytes beyond it, it is handed an end-of-image marker
// instead, and the decode of such a truncated picture answers false.
void JpegMemorySource(j_decompress_ptr cinfo, const BYTE* data, size_t length);

// Decodes with a decompressor made by CreateJpegDecompressor, then destroys it. Three components land as blue,
// green, red with alpha 255, four as blue, green, red, alpha, one as grey with alpha 255.
bool DecodeJpeg(j_decompress_ptr cinfo, ImageSink& sink, UINT* width, UINT* height);

bool DecodeJpegFromMemory(const BYTE* data, size_t length, ImageSink& sink, UINT* width, UINT* height);
// The path is UTF-8 on disk; an empty file answers false.
bool DecodeJpegFromFile(const std::wstring& path, ImageSink& sink, UINT* width, UINT* height);
