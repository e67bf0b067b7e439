#include "platform/system/thread_faults.h"

#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <typeinfo>
#include <utility>

#include <cxxabi.h>

#include "platform/system/termination.h"

namespace platform {
namespace {

struct KeptFault {
    bool kept = false;
    std::string description;
    // Only when the description could not be made: the type alone, which needs no memory to keep.
    const std::type_info* type = nullptr;
};

std::mutex g_mutex;
KeptFault g_fault;

std::string TypeName(const std::type_info* type)
{
    if (!type)
        return "unknown";
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), std::free);
    return readable ? readable.get() : type->name();
}

} // namespace

std::string DescribeCurrentException()
{
    std::string text = TypeName(abi::__cxa_current_exception_type());
    try {
        throw;
    } catch (const std::exception& e) {
        text += std::string(": ") + e.what();
    } catch (...) {
    }
    return text;
}

void KeepFault() noexcept
{
    KeptFault fault { true, {}, abi::__cxa_current_exception_type() };
    try {
        fault.description = DescribeCurrentException();
        fault.type = nullptr;
    } catch (...) {
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_fault.kept)
        g_fault = std::move(fault);
}

void ReportThreadFault() noexcept
{
    KeepFault();
    RequestClose();
}

std::string TakeFault()
{
    KeptFault fault;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        fault = std::exchange(g_fault, KeptFault {});
    }
    if (fault.kept && fault.description.empty())
        return TypeName(fault.type);
    return std::move(fault.description);
}

} // namespace platform
