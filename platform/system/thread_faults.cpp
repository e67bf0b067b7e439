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

std::mutex g_mutex;
std::string g_fault;

} // namespace

std::string DescribeCurrentException()
{
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (!type)
        return "unknown";
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), std::free);
    std::string text = readable ? readable.get() : type->name();
    try {
        throw;
    } catch (const std::exception& e) {
        text += std::string(": ") + e.what();
    } catch (...) {
    }
    return text;
}

void ReportThreadFault()
{
    std::string description = DescribeCurrentException();
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_fault.empty())
            return;
        g_fault = std::move(description);
    }
    RequestClose();
}

std::string TakeThreadFault()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return std::exchange(g_fault, std::string());
}

} // namespace platform
