#include "engine/resources/image_sink.h"

bool BeginImage(ImageSink& sink, UINT width, UINT height, ImageTarget* target, std::exception_ptr* pending)
{
    try {
        return sink.Begin(width, height, target);
    } catch (...) {
        *pending = std::current_exception();
        return false;
    }
}

bool TargetFits(const ImageTarget& target, UINT width, UINT height)
{
    return target.bits && target.width >= width && target.height >= height && target.pitch >= 0
        && static_cast<uint64_t>(target.pitch) >= static_cast<uint64_t>(width) * 4;
}
