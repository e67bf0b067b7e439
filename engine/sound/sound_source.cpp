#include "engine/sound/sound_source.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include <boost/lexical_cast.hpp>

#include "platform/resources/resources.h"
#include "platform/text/utf8.h"

namespace {

std::mutex g_lookup_mutex;
CSoundSource::ResourceLookup g_lookup;

size_t MemoryRead(void* ptr, size_t size, size_t count, void* source)
{
    auto* block = static_cast<CSoundSource::MemoryBlock*>(source);
    if (block->position >= block->size)
        return 0;
    size_t bytes = std::min<size_t>(size * count, block->size - block->position);
    std::memcpy(ptr, block->data + block->position, bytes);
    block->position += static_cast<DWORD>(bytes);
    return bytes;
}

// Positions past the end are kept: every later read then gives nothing.
int MemorySeek(void* source, ogg_int64_t offset, int origin)
{
    auto* block = static_cast<CSoundSource::MemoryBlock*>(source);
    auto low = static_cast<DWORD>(offset);
    switch (origin) {
    case SEEK_SET:
        block->position = low;
        return 0;
    case SEEK_CUR:
        block->position += low;
        return 0;
    case SEEK_END:
        block->position = block->size + low;
        return 0;
    default:
        return -1;
    }
}

int NoClose(void*)
{
    return 1;
}

long MemoryTell(void* source)
{
    return static_cast<long>(static_cast<CSoundSource::MemoryBlock*>(source)->position);
}

size_t FileRead(void* ptr, size_t size, size_t count, void* file)
{
    return std::fread(ptr, size, count, static_cast<FILE*>(file));
}

int FileSeek(void* file, ogg_int64_t offset, int origin)
{
    return fseeko(static_cast<FILE*>(file), offset, origin);
}

long FileTell(void* file)
{
    return std::ftell(static_cast<FILE*>(file));
}

} // namespace

void CSoundSource::SetResourceLookup(ResourceLookup lookup)
{
    std::lock_guard<std::mutex> lock(g_lookup_mutex);
    g_lookup = std::move(lookup);
}

ov_callbacks CSoundSource::MemoryCallbacks()
{
    return ov_callbacks { MemoryRead, MemorySeek, NoClose, MemoryTell };
}

CSoundSource::CSoundSource()
{
    std::memset(&decoder_, 0, sizeof decoder_);
}

CSoundSource::~CSoundSource()
{
    if (open_)
        ov_clear(&decoder_);
    if (file_)
        std::fclose(file_);
    if (module_)
        FreeLibrary(module_);
}

bool CSoundSource::OpenDecoder(void* source, ov_callbacks callbacks)
{
    if (ov_open_callbacks(source, &decoder_, nullptr, 0, callbacks) != 0)
        return false;
    open_ = true;
    vorbis_info* info = ov_info(&decoder_, -1);
    ogg_int64_t total = ov_pcm_total(&decoder_, -1);
    // Only mono and stereo are played; a stream without a known length cannot be bounded.
    if (!info || info->channels < 1 || info->channels > 2 || total < 0)
        return false;
    channels_ = info->channels;
    rate_ = static_cast<int>(info->rate);
    bytes_per_frame_ = channels_ == 1 ? 2 : 4;
    total_frames_ = static_cast<DWORD>(total);
    return true;
}

bool CSoundSource::OpenMemory(const void* data, DWORD size)
{
    if (open_ || !data)
        return false;
    memory_ = MemoryBlock { static_cast<const BYTE*>(data), 0, size };
    return OpenDecoder(&memory_, MemoryCallbacks());
}

bool CSoundSource::OpenResourceByName(const std::wstring& name)
{
    try {
        return OpenResource(static_cast<WORD>(boost::lexical_cast<uint32_t>(name)));
    } catch (const boost::bad_lexical_cast&) {
        return OpenFile(name);
    }
}

bool CSoundSource::FindResourceBytes(WORD id, const BYTE** data, DWORD* size)
{
    {
        std::lock_guard<std::mutex> lock(g_lookup_mutex);
        if (g_lookup)
            return g_lookup(id, data, size) && *data;
    }
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (!found) {
        module = LoadLibraryExW(L"Animations.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
        found = module ? FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA) : nullptr;
        if (!found) {
            if (module)
                FreeLibrary(module);
            return false;
        }
        module_ = module;
    }
    *size = SizeofResource(module, found);
    *data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    return *data != nullptr;
}

bool CSoundSource::OpenResource(WORD id)
{
    const BYTE* data = nullptr;
    DWORD size = 0;
    if (open_ || module_ || !FindResourceBytes(id, &data, &size))
        return false;
    if (!OpenMemory(data, size))
        return false;
    auto cut = static_cast<DWORD>(static_cast<DWORD>(rate_ * channels_ * 2) * 0.02);
    if (total_frames_ > cut)
        total_frames_ -= cut;
    return true;
}

bool CSoundSource::OpenFile(const std::wstring& path)
{
    if (open_ || file_)
        return false;
    file_ = std::fopen(platform::ToUtf8(path).c_str(), "rb");
    if (!file_)
        return false;
    return OpenDecoder(file_, ov_callbacks { FileRead, FileSeek, NoClose, FileTell });
}

DWORD CSoundSource::ReadPcm(void* destination, DWORD n)
{
    if (!open_)
        return 0;
    ogg_int64_t told = ov_pcm_tell(&decoder_);
    ogg_int64_t left = told >= 0 && told < total_frames_ ? total_frames_ - told : 0;
    n = static_cast<DWORD>(std::min<ogg_int64_t>(n, left * bytes_per_frame_));
    // A part of a frame cannot be decoded; asking for one would read as an error.
    n -= n % static_cast<DWORD>(bytes_per_frame_);
    auto* out = static_cast<char*>(destination);
    DWORD got = 0;
    while (got < n) {
        int section = 0;
        long r = ov_read(&decoder_, out + got, static_cast<int>(n - got), 0, 2, 1, &section);
        if (r <= 0)
            break;
        got += static_cast<DWORD>(r);
    }
    return got;
}
