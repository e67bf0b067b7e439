// PNG pictures as the resource files hold them, decoded from memory.
#include <cstddef>
#include <cstdint>

#include "engine/resources/png_decoder.h"
#include "fuzz/image_surface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ExactSurface surface;
    UINT width = 0, height = 0;
    DecodePngFromMemory(data, size, surface, &width, &height);
    return 0;
}
