// Window classes, registered message numbers and the last-error value.
#include <map>
#include <mutex>
#include <string>

#include "platform/window/window_records.h"

namespace {

struct ClassRecord {
    WNDPROC proc;
    UINT style;
    ATOM atom;
};

std::map<std::wstring, ClassRecord>& Classes()
{
    static std::map<std::wstring, ClassRecord> classes;
    return classes;
}

thread_local DWORD t_last_error = 0;

// Stands for a named resource: int resources keep their number, named ones share one value.
template <typename Handle> Handle ResourceHandle(LPCWSTR name)
{
    auto value = reinterpret_cast<uintptr_t>(name);
    return reinterpret_cast<Handle>(value <= 0xFFFF ? value | 0x10000 : 0x20000);
}

} // namespace

DWORD GetLastError()
{
    return t_last_error;
}
void SetLastError(DWORD error)
{
    t_last_error = error;
}

ATOM RegisterClassW(const WNDCLASSW* wc)
{
    static ATOM next_atom = 0xC000;
    if (wc == nullptr || wc->lpfnWndProc == nullptr || wc->lpszClassName == nullptr || *wc->lpszClassName == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto [it, added] = Classes().try_emplace(wc->lpszClassName, ClassRecord { wc->lpfnWndProc, wc->style, 0 });
    if (!added) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    it->second.atom = next_atom++;
    return it->second.atom;
}

BOOL UnregisterClassW(LPCWSTR class_name, HINSTANCE)
{
    if (class_name == nullptr || Classes().count(class_name) == 0) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return FALSE;
    }
    if (platform::ClassHasWindows(class_name)) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    Classes().erase(class_name);
    return TRUE;
}

HICON LoadIconW(HINSTANCE, LPCWSTR name)
{
    return ResourceHandle<HICON>(name);
}

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name)
{
    return ResourceHandle<HCURSOR>(name);
}

UINT RegisterWindowMessageW(LPCWSTR name)
{
    static std::mutex mutex;
    static std::map<std::wstring, UINT> numbers;
    if (name == nullptr || *name == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::mutex> lock(mutex);
    auto it = numbers.find(name);
    if (it != numbers.end())
        return it->second;
    UINT number = 0xC000 + static_cast<UINT>(numbers.size());
    if (number > 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    numbers.emplace(name, number);
    return number;
}

namespace platform {

void ForgetWindowClasses()
{
    Classes().clear();
}

bool FindWindowClass(const std::wstring& name, WNDPROC* proc, UINT* style)
{
    auto it = Classes().find(name);
    if (it == Classes().end())
        return false;
    *proc = it->second.proc;
    *style = it->second.style;
    return true;
}

} // namespace platform
