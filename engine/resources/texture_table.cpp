// The texture table of the resource manager: ids, names, reference counts, pixel copies, loss and eviction.
#include <algorithm>
#include <cstring>
#include <new>

#include "engine/resources/resource_manager.h"
#include "engine/resources/texture_decoders.h"
#include "platform/system/debug_output.h"

namespace {

// Unlocks level 0 however the scope is left.
class LevelLock {
public:
    explicit LevelLock(IDirect3DTexture9* texture)
        : texture_(texture)
    {
        locked_ = texture_ && SUCCEEDED(texture_->LockRect(0, &rect_, nullptr, 0));
    }
    ~LevelLock()
    {
        if (locked_)
            texture_->UnlockRect(0);
    }
    LevelLock(const LevelLock&) = delete;
    LevelLock& operator=(const LevelLock&) = delete;

    bool Locked() const { return locked_; }
    BYTE* Bits() const { return static_cast<BYTE*>(rect_.pBits); }
    int Pitch() const { return rect_.Pitch; }

private:
    IDirect3DTexture9* texture_;
    D3DLOCKED_RECT rect_ {};
    bool locked_ = false;
};

} // namespace

IMTexture* IMResourceManager::Record(DWORD id) const
{
    return id < textures_.size() ? textures_[id].get() : nullptr;
}

const IMTexture* IMResourceManager::GetTextureRecord(DWORD id) const
{
    return Record(id);
}

DWORD IMResourceManager::FindTexture(const std::wstring& name) const
{
    auto it = names_.find(name);
    return it == names_.end() ? GetTextureCount() : it->second;
}

DWORD IMResourceManager::AddRefTexture(DWORD id)
{
    IMTexture* t = Record(id);
    if (!t)
        return kNoTexture;
    ++t->ref_count;
    return id;
}

DWORD IMResourceManager::TakeId()
{
    if (!free_ids_.empty()) {
        DWORD id = free_ids_.back();
        free_ids_.pop_back();
        return id;
    }
    textures_.emplace_back();
    return DWORD(textures_.size() - 1);
}

bool IMResourceManager::EvictTextureOtherThan(const std::wstring& name)
{
    for (DWORD id = 0; id < GetTextureCount(); ++id) {
        IMTexture* t = Record(id);
        if (t && t->texture && t->name != name) {
            ReleaseDeviceTexture(id);
            return true;
        }
    }
    return false;
}

// Runs the maker, releasing another texture's device object and trying again whenever texture memory runs
// out; gives up when nothing is left to release.
bool IMResourceManager::MakeTexture(
    const std::wstring& name, const TextureMaker& make, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    for (;;) {
        IDirect3DTexture9* made = nullptr;
        try {
            bool ok = make(device_, &made, width, height);
            if (!ok && made)
                made->Release();
            *texture = ok ? made : nullptr;
            return *texture != nullptr;
        } catch (const std::bad_alloc&) {
            if (made)
                made->Release();
            if (!EvictTextureOtherThan(name))
                return false;
        }
    }
}

DWORD IMResourceManager::CreateNamedTexture(const std::wstring& name, const TextureMaker& make)
{
    DWORD id = FindTexture(name);
    if (IMTexture* known = Record(id)) {
        ++known->ref_count;
        return id;
    }
    IDirect3DTexture9* texture = nullptr;
    UINT width = 0, height = 0;
    if (!MakeTexture(name, make, &texture, &width, &height))
        return kNoTexture;
    D3DSURFACE_DESC desc;
    if (FAILED(texture->GetLevelDesc(0, &desc))) {
        texture->Release();
        return kNoTexture;
    }
    id = TakeId();
    names_[name] = id;
    auto record = std::make_unique<IMTexture>(
        texture, RECT { 0, 0, LONG(width), LONG(height) }, int32_t(desc.Width), int32_t(desc.Height));
    record->name = name;
    record->ref_count = 1;
    textures_[id] = std::move(record);
    BackupTexturePixels(id);
    return id;
}

DWORD IMResourceManager::AddTextureFromMemory(const std::wstring& name, const BYTE* blob, DWORD length)
{
    return CreateNamedTexture(name, [&](IDirect3DDevice9* device, IDirect3DTexture9** texture, UINT* w, UINT* h) {
        return LoadTextureFromMemory(device, blob, length, texture, w, h);
    });
}

DWORD IMResourceManager::AddTextureFromResource(const std::wstring& name)
{
    return CreateNamedTexture(name, [&](IDirect3DDevice9* device, IDirect3DTexture9** texture, UINT* w, UINT* h) {
        return LoadTextureByName(device, name, texture, w, h);
    });
}

DWORD IMResourceManager::CreateFrameTexture(const std::wstring& name, int width, int height, D3DFORMAT format)
{
    if (width < 0 || height < 0)
        return kNoTexture;
    return CreateNamedTexture(name, [&](IDirect3DDevice9* device, IDirect3DTexture9** texture, UINT* w, UINT* h) {
        if (!CreatePow2Texture(device, texture, UINT(width), UINT(height), format))
            return false;
        LevelLock lock(*texture);
        if (lock.Locked())
            std::memset(lock.Bits(), 0, size_t(lock.Pitch()) * size_t(height));
        *w = UINT(width);
        *h = UINT(height);
        return true;
    });
}

void IMResourceManager::ReleaseTexture(DWORD id)
{
    IMTexture* t = Record(id);
    if (!t || --t->ref_count > 0)
        return;
    names_.erase(t->name);
    textures_[id].reset();
    free_ids_.push_back(id);
}

void IMResourceManager::ReleaseTextureByName(const std::wstring& name)
{
    ReleaseTexture(FindTexture(name));
}

void IMResourceManager::ReleaseDeviceTexture(DWORD id)
{
    if (IMTexture* t = Record(id))
        t->ReleaseDeviceObject();
}

void IMResourceManager::RestoreTexture(DWORD id)
{
    IMTexture* t = Record(id);
    if (!t || t->texture || t->pixel_copy.empty())
        return;
    const UINT tw = UINT(t->texture_width), th = UINT(t->texture_height);
    IDirect3DTexture9* texture = nullptr;
    UINT width = 0, height = 0;
    auto make = [&](IDirect3DDevice9* device, IDirect3DTexture9** out, UINT*, UINT*) {
        return CreatePow2Texture(device, out, tw, th, D3DFMT_A8R8G8B8);
    };
    if (!MakeTexture(t->name, make, &texture, &width, &height))
        return;
    {
        LevelLock lock(texture);
        if (lock.Locked()) {
            size_t bytes = std::min(t->pixel_copy.size(), size_t(lock.Pitch()) * th);
            std::memcpy(lock.Bits(), t->pixel_copy.data(), bytes);
        }
    }
    t->texture = texture;
}

void IMResourceManager::BackupTexturePixels(DWORD id)
{
    IMTexture* t = Record(id);
    if (!t)
        return;
    t->pixel_copy = std::vector<BYTE>();
    t->pixel_copy_pitch = 0;
    LevelLock lock(t->texture);
    if (!lock.Locked())
        return;
    const BYTE* bits = lock.Bits();
    t->pixel_copy.assign(bits, bits + size_t(lock.Pitch()) * size_t(t->texture_height));
    t->pixel_copy_pitch = lock.Pitch();
}

void IMResourceManager::UploadTexturePixels(DWORD id)
{
    IMTexture* t = Record(id);
    if (!t || !t->texture || t->pixel_copy.empty())
        return;
    LevelLock lock(t->texture);
    if (lock.Locked()) {
        size_t bytes = std::min(t->pixel_copy.size(), size_t(lock.Pitch()) * size_t(t->texture_height));
        std::memcpy(lock.Bits(), t->pixel_copy.data(), bytes);
    }
}

int IMResourceManager::GetTexturePitch(DWORD id)
{
    IMTexture* t = Record(id);
    if (!t)
        return 0;
    RestoreTexture(id);
    LevelLock lock(t->texture);
    return lock.Locked() ? lock.Pitch() : 0;
}

void IMResourceManager::WriteTexturePixels(DWORD id, const PixelWriter& converter)
{
    IMTexture* t = Record(id);
    if (!t)
        return;
    RestoreTexture(id);
    LevelLock lock(t->texture);
    if (!lock.Locked()) {
        OutputDebugStringW(L"Fuck!!!");
        return;
    }
    converter(lock.Bits(), lock.Pitch(), int(t->image_rect.bottom));
}
