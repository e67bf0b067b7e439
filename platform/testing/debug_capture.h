// Keeps the diagnostic lines (traces and lines for the user) for a test to read.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/system/debug_output.h"

namespace platform {

// While it exists, diagnostic output is kept here instead of going to standard error.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    // Each call of OutputDebugString or TellUser is one entry, as passed.
    std::vector<std::wstring> Entries() const;
    // All entries joined.
    std::wstring Text() const;
    void Clear();

private:
    struct Store;
    std::shared_ptr<Store> store_;
};

} // namespace platform
