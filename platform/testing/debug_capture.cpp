#include "platform/testing/debug_capture.h"

#include <memory>
#include <mutex>

namespace platform {

struct DebugCapture::Store {
    std::mutex mutex;
    std::vector<std::wstring> entries;
};

DebugCapture::DebugCapture()
    : store_(std::make_shared<Store>())
{
    SetDiagnosticSink([store = store_](std::wstring text) {
        std::lock_guard<std::mutex> lock(store->mutex);
        store->entries.push_back(std::move(text));
    });
}

DebugCapture::~DebugCapture()
{
    SetDiagnosticSink(nullptr);
}

std::vector<std::wstring> DebugCapture::Entries() const
{
    std::lock_guard<std::mutex> lock(store_->mutex);
    return store_->entries;
}

std::wstring DebugCapture::Text() const
{
    std::wstring all;
    for (const auto& e : Entries())
        all += e;
    return all;
}

void DebugCapture::Clear()
{
    std::lock_guard<std::mutex> lock(store_->mutex);
    store_->entries.clear();
}

} // namespace platform
