#include "engine/resources/picture_source.h"

#include <cstdint>

#include <boost/lexical_cast.hpp>

#include "engine/resources/jpeg_decoder.h"
#include "engine/resources/png_decoder.h"

namespace {

// The sibling store, loaded for one look-up and released after it.
struct SiblingStore {
    HMODULE module = LoadLibraryExW(kSiblingStoreName, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    SiblingStore() = default;
    SiblingStore(const SiblingStore&) = delete;
    SiblingStore& operator=(const SiblingStore&) = delete;
    ~SiblingStore()
    {
        if (module)
            FreeLibrary(module);
    }
};

} // namespace

std::optional<WORD> ResourceIdFromName(const std::wstring& name)
{
    try {
        return static_cast<WORD>(boost::lexical_cast<uint32_t>(name) & 0xFFFF);
    } catch (const boost::bad_lexical_cast&) {
        return std::nullopt;
    }
}

platform::Blob ResourceBytes(HMODULE module, WORD id)
{
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (!resource)
        return {};
    HGLOBAL handle = LoadResource(module, resource);
    if (!handle)
        return {};
    const void* bytes = LockResource(handle);
    if (!bytes)
        return {};
    return { static_cast<const BYTE*>(bytes), SizeofResource(module, resource) };
}

bool DecodePicture(const BYTE* data, size_t length, ImageSink& sink, UINT* width, UINT* height)
{
    return DecodePngFromMemory(data, length, sink, width, height)
        || DecodeJpegFromMemory(data, length, sink, width, height);
}

bool DecodePictureFile(const std::wstring& path, ImageSink& sink, UINT* width, UINT* height)
{
    return DecodePngFromFile(path, sink, width, height) || DecodeJpegFromFile(path, sink, width, height);
}

bool DecodePictureResource(WORD id, ImageSink& sink, UINT* width, UINT* height)
{
    HMODULE own = GetModuleHandleW(nullptr);
    if (platform::Blob bytes = ResourceBytes(own, id))
        return DecodePicture(bytes.data, bytes.size, sink, width, height);
    SiblingStore sibling;
    if (!sibling.module)
        return false;
    platform::Blob bytes = ResourceBytes(sibling.module, id);
    return bytes && DecodePicture(bytes.data, bytes.size, sink, width, height);
}

bool DecodePictureByName(const std::wstring& name, ImageSink& sink, UINT* width, UINT* height)
{
    if (auto id = ResourceIdFromName(name))
        return DecodePictureResource(*id, sink, width, height);
    return DecodePictureFile(name, sink, width, height);
}
