// Telling a GPU from a software rasteriser behind SDL's accelerated renderer. A software GL driver, once loaded,
// keeps a dozen threads and tens of megabytes in the process even when nothing is drawn with it, so the question
// is asked in a short-lived child process where it can be.
#pragma once

#include <SDL_render.h>

namespace platform {

enum class GpuVerdict {
    Unknown, // not asked: the presenter asks through its own renderer
    Hardware,
    Software,
};

// Call before SDL's video starts. Software without a kernel graphics device; otherwise the answer of a child
// process that starts SDL's video and renderer, when this process is still single-threaded (a fork of a threaded
// process could deadlock); Unknown else.
GpuVerdict ProbeGpuBeforeVideo();
// The child process's answer alone, asked whatever devices the machine has; Unknown when this process has more
// than one thread.
GpuVerdict ProbeGpuInChild();

// Whether the process has a single thread, so that the probe may fork.
bool ProcessIsSingleThreaded();
// Whether the machine has a kernel graphics device a GPU driver could use.
bool HasGraphicsDevice();
// Whether an accelerated renderer runs on a GPU: its GL renderer string, with the renderer's context current.
bool RendererIsHardware(SDL_Renderer* renderer);
// Whether a GL renderer string names a software rasteriser.
bool IsSoftwareRasteriser(const char* gl_renderer);

} // namespace platform
