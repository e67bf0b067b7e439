// PNG decoding with libpng straight into a caller's 32-bit surface.
#pragma once

#include <cstddef>
#include <string>

#include <png.h>

#include "engine/resources/image_sink.h"

// Memory source of a decode: reads never go past the end of the bytes.
struct PngMemoryReader {
    const BYTE* data = nullptr;
    size_t length = 0;
    size_t position = 0;
};

// libpng callbacks: the error handler writes "libpng error: <message>" to standard error and abandons the decode.
void PngErrorHandler(png_structp png, png_const_charp message);
void PngMemoryRead(png_structp png, png_bytep out, png_size_t count);
// The io pointer is a std::istream.
void PngStreamRead(png_structp png, png_bytep out, png_size_t count);

// A read structure that reports errors through PngErrorHandler; null when libpng cannot make one.
png_structp CreatePngReadStruct();

// Decodes from a read structure whose source is set past the 8 signature bytes, and destroys it. Every picture
// lands as 8-bit blue, green, red, alpha: 16-bit channels are stripped, palette and grey expanded, transparency
// becomes alpha, a picture without alpha gets 0xFF, a background chunk is composited, a gamma chunk is applied
// against a screen gamma of 2.2. width and height receive the image size.
bool DecodePng(png_structp png, ImageSink& sink, UINT* width, UINT* height);

bool DecodePngFromMemory(const BYTE* data, size_t length, ImageSink& sink, UINT* width, UINT* height);
// The path is UTF-8 on disk.
bool DecodePngFromFile(const std::wstring& path, ImageSink& sink, UINT* width, UINT* height);
