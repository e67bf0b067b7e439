#include "engine/resources/texture_decoders.h"

#include "engine/resources/picture_source.h"

namespace {

// A new texture locked for the decoder; released again unless the decode completes and the texture is taken.
class TextureSink : public ImageSink {
public:
    explicit TextureSink(IDirect3DDevice9* device)
        : device_(device)
    {
    }
    TextureSink(const TextureSink&) = delete;
    TextureSink& operator=(const TextureSink&) = delete;
    ~TextureSink() override { Drop(); }

    bool Begin(UINT width, UINT height, ImageTarget* target) override
    {
        Drop();
        if (!device_ || !CreatePow2Texture(device_, &texture_, width, height, D3DFMT_A8R8G8B8) || !texture_)
            return Drop();
        D3DSURFACE_DESC desc;
        D3DLOCKED_RECT locked;
        if (FAILED(texture_->GetLevelDesc(0, &desc)) || FAILED(texture_->LockRect(0, &locked, nullptr, 0)))
            return Drop();
        *target = ImageTarget { static_cast<BYTE*>(locked.pBits), locked.Pitch, desc.Width, desc.Height };
        return true;
    }

    void End(bool complete) override
    {
        texture_->UnlockRect(0);
        complete_ = complete;
        if (!complete)
            Drop();
    }

    IDirect3DTexture9* Take()
    {
        IDirect3DTexture9* texture = complete_ ? texture_ : nullptr;
        texture_ = nullptr;
        return texture;
    }

private:
    bool Drop()
    {
        if (texture_)
            texture_->Release();
        texture_ = nullptr;
        complete_ = false;
        return false;
    }

    IDirect3DDevice9* device_;
    IDirect3DTexture9* texture_ = nullptr;
    bool complete_ = false;
};

template <class Decode> bool DecodeToTexture(IDirect3DDevice9* device, IDirect3DTexture9** texture, Decode decode)
{
    TextureSink sink(device);
    *texture = nullptr;
    if (!decode(sink))
        return false;
    *texture = sink.Take();
    return *texture != nullptr;
}

} // namespace

bool LoadPngFromMemory(
    IDirect3DDevice9* device, const BYTE* blob, size_t length, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    return DecodeToTexture(
        device, texture, [&](ImageSink& sink) { return DecodePngFromMemory(blob, length, sink, width, height); });
}

bool LoadPngFromResource(
    IDirect3DDevice9* device, WORD id, HMODULE module, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    platform::Blob bytes = ResourceBytes(module, id);
    *texture = nullptr;
    return bytes && LoadPngFromMemory(device, bytes.data, bytes.size, texture, width, height);
}

bool LoadPngFromFile(
    IDirect3DDevice9* device, const std::wstring& path, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    return DecodeToTexture(
        device, texture, [&](ImageSink& sink) { return DecodePngFromFile(path, sink, width, height); });
}

bool DecodePngToTexture(
    IDirect3DDevice9* device, png_structp png, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    return DecodeToTexture(device, texture, [&](ImageSink& sink) { return DecodePng(png, sink, width, height); });
}

bool LoadJpegFromMemory(
    IDirect3DDevice9* device, const BYTE* bytes, size_t length, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    return DecodeToTexture(
        device, texture, [&](ImageSink& sink) { return DecodeJpegFromMemory(bytes, length, sink, width, height); });
}

bool LoadJpegFromResource(
    IDirect3DDevice9* device, WORD id, HMODULE module, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    platform::Blob bytes = ResourceBytes(module, id);
    *texture = nullptr;
    return bytes && LoadJpegFromMemory(device, bytes.data, bytes.size, texture, width, height);
}

bool LoadJpegFromFile(
    IDirect3DDevice9* device, const std::wstring& path, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    return DecodeToTexture(
        device, texture, [&](ImageSink& sink) { return DecodeJpegFromFile(path, sink, width, height); });
}

bool DecodeJpegToTexture(
    IDirect3DDevice9* device, j_decompress_ptr cinfo, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    return DecodeToTexture(device, texture, [&](ImageSink& sink) { return DecodeJpeg(cinfo, sink, width, height); });
}

bool LoadImageFile(
    IDirect3DDevice9* device, const std::wstring& path, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    return DecodeToTexture(
        device, texture, [&](ImageSink& sink) { return DecodePictureFile(path, sink, width, height); });
}

bool LoadTextureFromMemory(
    IDirect3DDevice9* device, const BYTE* blob, size_t length, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    return DecodeToTexture(
        device, texture, [&](ImageSink& sink) { return DecodePicture(blob, length, sink, width, height); });
}

bool LoadTextureByName(
    IDirect3DDevice9* device, const std::wstring& name, IDirect3DTexture9** texture, UINT* width, UINT* height)
{
    return DecodeToTexture(
        device, texture, [&](ImageSink& sink) { return DecodePictureByName(name, sink, width, height); });
}
