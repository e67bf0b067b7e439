#include "platform/resources/resources.h"

#include <cwctype>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <system_error>

namespace {

struct Resource {
    std::vector<BYTE> owned;
    const BYTE* data = nullptr;
    DWORD size = 0;
};

// The program itself, or one loaded sibling store whose files are read on first use and kept until it is freed.
struct Module {
    std::map<WORD, Resource> resources;
    std::filesystem::path folder;
    const std::map<WORD, std::vector<BYTE>>* memory_entries = nullptr;
};

struct Registry {
    std::mutex mutex;
    Module own;
    std::set<const Module*> siblings;
    std::map<std::string, platform::Blob, std::less<>> blobs;
    std::filesystem::path store_folder;
    bool store_folder_set = false;
    std::map<std::wstring, std::map<WORD, std::vector<BYTE>>, std::less<>> sibling_memory;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

HMODULE Handle(Module* module)
{
    return reinterpret_cast<HMODULE>(module);
}

// Null for a handle that names no live module. The registry lock must be held.
Module* Lookup(Registry& r, HMODULE handle)
{
    auto* module = reinterpret_cast<Module*>(handle);
    if (module == &r.own || r.siblings.count(module))
        return module;
    return nullptr;
}

std::filesystem::path ExecutableFolder()
{
    std::error_code error;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path(error) : exe.parent_path();
}

// "Animations.dll" and "dir\\Animations.DLL" both name the store "Animations".
std::wstring StoreStem(std::wstring_view file_name)
{
    auto slash = file_name.find_last_of(L"/\\");
    if (slash != std::wstring_view::npos)
        file_name.remove_prefix(slash + 1);
    if (file_name.size() > 4) {
        auto ext = file_name.substr(file_name.size() - 4);
        std::wstring lower;
        for (wchar_t c : ext)
            lower += static_cast<wchar_t>(std::towlower(c));
        if (lower == L".dll")
            file_name.remove_suffix(4);
    }
    return std::wstring(file_name);
}

bool ReadFile(const std::filesystem::path& path, std::vector<BYTE>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

Resource* LoadSiblingResource(Module& module, WORD id)
{
    std::vector<BYTE> bytes;
    bool found = false;
    if (module.memory_entries) {
        auto entry = module.memory_entries->find(id);
        if (entry != module.memory_entries->end()) {
            bytes = entry->second;
            found = true;
        }
    }
    if (!found) {
        auto path = module.folder / std::to_string(id);
        std::error_code error;
        found = std::filesystem::is_regular_file(path, error) && ReadFile(path, bytes);
    }
    if (!found)
        return nullptr;
    Resource& resource = module.resources[id];
    resource.owned = std::move(bytes);
    resource.data = resource.owned.data();
    resource.size = static_cast<DWORD>(resource.owned.size());
    return &resource;
}

// An empty resource still has a valid, non-null address.
const BYTE kEmpty[1] = { 0 };

} // namespace

HMODULE GetModuleHandleW(LPCWSTR module_name)
{
    return module_name ? nullptr : Handle(&TheRegistry().own);
}

HRSRC FindResourceW(HMODULE module_handle, LPCWSTR name, LPCWSTR type)
{
    if (!IS_INTRESOURCE(name) || type != RT_RCDATA)
        return nullptr;
    auto id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    Module* module = Lookup(r, module_handle);
    if (!module)
        return nullptr;
    auto it = module->resources.find(id);
    if (it != module->resources.end())
        return reinterpret_cast<HRSRC>(&it->second);
    if (module == &r.own)
        return nullptr;
    return reinterpret_cast<HRSRC>(LoadSiblingResource(*module, id));
}

HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
    if (!resource)
        return nullptr;
    const auto* r = reinterpret_cast<const Resource*>(resource);
    return const_cast<BYTE*>(r->size ? r->data : kEmpty);
}

void* LockResource(HGLOBAL data)
{
    return data;
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    return resource ? reinterpret_cast<const Resource*>(resource)->size : 0;
}

HMODULE LoadLibraryExW(LPCWSTR file_name, void*, DWORD flags)
{
    if (!file_name || !(flags & LOAD_LIBRARY_AS_DATAFILE))
        return nullptr;
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto module = std::make_unique<Module>();
    module->folder = (r.store_folder_set ? r.store_folder : ExecutableFolder()) / StoreStem(file_name);
    auto memory = r.sibling_memory.find(StoreStem(file_name));
    if (memory != r.sibling_memory.end())
        module->memory_entries = &memory->second;
    std::error_code error;
    if (!module->memory_entries && !std::filesystem::is_directory(module->folder, error))
        return nullptr;
    r.siblings.insert(module.get());
    return Handle(module.release());
}

BOOL FreeLibrary(HMODULE module_handle)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    Module* module = Lookup(r, module_handle);
    if (!module || module == &r.own)
        return FALSE;
    r.siblings.erase(module);
    delete module;
    return TRUE;
}

namespace platform {

void RegisterOwnResource(WORD id, const BYTE* data, size_t size)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    Resource& resource = r.own.resources[id];
    resource.data = data;
    resource.size = static_cast<DWORD>(size);
}

void RegisterNamedBlob(std::string_view name, const BYTE* data, size_t size)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.blobs[std::string(name)] = Blob { data, size };
}

Blob FindNamedBlob(std::string_view name)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    auto it = r.blobs.find(name);
    return it == r.blobs.end() ? Blob {} : it->second;
}

void SetSiblingStoreFolder(const std::filesystem::path& folder)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.store_folder = folder;
    r.store_folder_set = true;
}

void RegisterSiblingResource(std::wstring_view module_file_name, WORD id, std::vector<BYTE> bytes)
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.sibling_memory[StoreStem(module_file_name)][id] = std::move(bytes);
}

void ForgetResources()
{
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    r.own.resources.clear();
    r.blobs.clear();
    r.store_folder.clear();
    r.store_folder_set = false;
    for (const Module* module : r.siblings)
        const_cast<Module*>(module)->memory_entries = nullptr;
    r.sibling_memory.clear();
}

} // namespace platform
