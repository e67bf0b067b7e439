// Reference counting shared by the device and its buffers.
#pragma once

#include <atomic>

#include "platform/win32.h"

namespace platform {

template <class Interface> class ComObject : public Interface {
public:
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

private:
    std::atomic<ULONG> refs_ { 1 };
};

} // namespace platform
