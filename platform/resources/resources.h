// Win32-shaped access to the program's own resources, the sibling resource store and named blobs.
//
// The program's own store holds the integer-id resources compiled into the executable. A sibling module
// ("Animations.dll" loaded as a data file) is the folder of the same stem beside the executable ("Animations/"),
// whose files are named by decimal resource id; it exists only when that folder (or an in-memory entry registered
// for it) does. Named blobs are constant data found by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/win32.h"

struct HRSRC__;
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x00000002;

inline LPCWSTR MAKEINTRESOURCEW(WORD id)
{
    return reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(id));
}
inline LPCWSTR MAKEINTRESOURCE(WORD id)
{
    return MAKEINTRESOURCEW(id);
}
inline bool IS_INTRESOURCE(LPCWSTR name)
{
    return (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
}
inline const LPCWSTR RT_RCDATA = MAKEINTRESOURCEW(10);

// Null names the program itself; any other name is unknown (null).
HMODULE GetModuleHandleW(LPCWSTR module_name);
// Only integer ids of type RT_RCDATA are stored; null when the module lacks the id.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The bytes stay valid while the module is loaded (the program's own: for the whole process).
void* LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
// Only data-file loads of sibling modules; null when the store does not exist.
HMODULE LoadLibraryExW(LPCWSTR file_name, void* reserved, DWORD flags);
BOOL FreeLibrary(HMODULE module);

namespace platform {

struct Blob {
    const BYTE* data = nullptr;
    size_t size = 0;
    explicit operator bool() const { return data != nullptr; }
};

// The program's own integer-id resources; registering an id again replaces it. The bytes must outlive the process.
void RegisterOwnResource(WORD id, const BYTE* data, size_t size);
void RegisterNamedBlob(std::string_view name, const BYTE* data, size_t size);
// Empty when no blob has the name.
Blob FindNamedBlob(std::string_view name);

// Where sibling stores are looked for; the executable's folder unless set.
void SetSiblingStoreFolder(const std::filesystem::path& folder);
// An entry that a sibling module of that file name holds besides its folder's files; it makes the module exist.
void RegisterSiblingResource(std::wstring_view module_file_name, WORD id, std::vector<BYTE> bytes);

// Forgets every registered resource, blob and sibling entry and the store folder. Sibling modules still loaded keep
// their handles but no longer see in-memory entries.
void ForgetResources();

} // namespace platform
