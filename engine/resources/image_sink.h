// The destination a picture decoder writes into, supplied by its caller once the picture's size is known.
#pragma once

#include <exception>

#include "platform/win32.h"

// 32-bit pixels in memory order blue, green, red, alpha; rows top to bottom. Only the image rectangle
// (0, 0, image width, image height) is written; the rest of the surface is left as it was.
struct ImageTarget {
    BYTE* bits = nullptr;
    int pitch = 0; // bytes from one row to the next
    UINT width = 0; // surface size in pixels, at least the image's
    UINT height = 0;
};

class ImageSink {
public:
    virtual ~ImageSink() = default;
    // Asked once the image size is known; false stops the decode. May throw (a full video memory).
    virtual bool Begin(UINT width, UINT height, ImageTarget* target) = 0;
    // Follows every successful Begin: complete is true when the whole picture was written.
    virtual void End(bool complete) = 0;
};

// Calls Begin; an exception is kept in pending rather than thrown, so that it never crosses a decoding
// library's frames. The decoder rethrows it once the library's structures are gone.
bool BeginImage(ImageSink& sink, UINT width, UINT height, ImageTarget* target, std::exception_ptr* pending);

// Whether the target can take the image's rows without writing outside it.
bool TargetFits(const ImageTarget& target, UINT width, UINT height);
