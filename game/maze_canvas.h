// The maze picture as the pupil's canvas: the path is painted straight into its texture, and wiped by copying
// the texture's unpainted pixel copy back.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win32.h"

class MazeCanvas {
public:
    // The canvas is the texture of this name, looked up now; a name the table lacks leaves a canvas that paints
    // nothing.
    void Attach(const std::wstring& name);
    DWORD GetTextureId() const { return texture_id_; }

    // A 2-pixel opaque red segment, in the picture's pixels.
    void Stroke(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
    void Wipe();

private:
    DWORD texture_id_ = 0xFFFFFFFFu;
};
