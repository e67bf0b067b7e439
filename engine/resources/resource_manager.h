// The engine's one global service object: the rendering device, the texture table, the drawing origin and, as its
// base, the sound system.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <boost/function.hpp>

#include "engine/resources/texture.h"
#include "engine/sound/sound_system.h"
#include "engine/text/glyphs/font_cache.h"
#include "platform/d3d9/d3d9.h"
#include "platform/win32.h"

class IMGlyphPath;

class IMResourceManager : public CSoundSystem {
public:
    // What a creator returns when it could make no texture: it names no texture now or later, and every
    // operation taking an id ignores it.
    static constexpr DWORD kNoTexture = 0xFFFFFFFFu;

    // Makes a device texture for a new name: the texture and the picture's own size. May throw std::bad_alloc
    // when texture memory is exhausted.
    using TextureMaker
        = std::function<bool(IDirect3DDevice9* device, IDirect3DTexture9** texture, UINT* width, UINT* height)>;
    // Called with the locked pixels, the row pitch in bytes and the image height.
    using PixelWriter = boost::function<void(BYTE* pixels, int pitch, int height)>;

    // The singleton; null before StartGraphics and after StopGraphics.
    static IMResourceManager* Instance();

    // Starts the sound system with the window (whatever its outcome), makes the device and registers the skin
    // pictures found among the named blobs, so the embedded assets are registered before it. Throws std::runtime_error
    // when no device can be made; no manager is left behind then.
    static void StartGraphics(bool windowed, HWND window = nullptr);
    // Releases the skin pictures in their registration order, writes the average frame rate ("FPS: n\n") to the
    // debug output and destroys the manager.
    static void StopGraphics();

    // 0 when the device exists, 1 when its creation failed. Throws std::runtime_error when Direct3D or the
    // display mode is unavailable.
    int CreateDevice(int refresh_rate, HWND window, bool windowed, int width, int height);
    // Once a loss is seen it stays lost, without asking the device again, until a new device is made.
    bool IsDeviceLost();
    // Releases every texture's device object and, while lost, makes a new device; true when usable again.
    bool ResetDevice();

    // Null while no device exists.
    IDirect3DDevice9* GetDevice() const;
    HWND GetWindow() const { return window_; }

    // Offset added to every quad's destination; dialogs and text views move it while their content draws.
    POINT GetOrigin() const;
    void SetOrigin(POINT origin);

    void CountFrame() { ++frame_count_; }
    DWORD GetFrameCount() const { return frame_count_; }

    // One textured, tinted rectangle, turned clockwise by angle (radians) about its centre. A null source is
    // the texture's whole image.
    void DrawQuad(DWORD texture_id, const RECT& dst, const RECT* src, D3DCOLOR tint, float angle);

    // --- Texture table. Ids at or beyond the count, and empty entries, are ignored by every operation.
    // The id of a name, or the count when the name is unknown.
    DWORD FindTexture(const std::wstring& name) const;
    DWORD GetTextureCount() const { return DWORD(textures_.size()); }
    // Null for an id that names no texture.
    const IMTexture* GetTextureRecord(DWORD id) const;
    // The id with one more reference, or kNoTexture when it names no texture.
    DWORD AddRefTexture(DWORD id);

    // Creators: a known name gains a reference and keeps its texture; a new one is made, registered with one
    // reference and its pixels copied. kNoTexture when nothing could be made.
    DWORD AddTextureFromResource(const std::wstring& name);
    DWORD AddTextureFromMemory(const std::wstring& name, const BYTE* blob, DWORD length);
    // A zero-filled texture of the given image size.
    DWORD CreateFrameTexture(const std::wstring& name, int width, int height, D3DFORMAT format);
    // The common steps of every creator, with room made when texture memory runs out.
    DWORD CreateNamedTexture(const std::wstring& name, const TextureMaker& make);

    void ReleaseTexture(DWORD id);
    void ReleaseTextureByName(const std::wstring& name);
    // Drops only the device object; the record and its pixel copy stay, and it comes back at its next use.
    void ReleaseDeviceTexture(DWORD id);
    // Re-creates a released device object (always A8R8G8B8) from the pixel copy.
    void RestoreTexture(DWORD id);
    void BackupTexturePixels(DWORD id);
    // Copies the pixel copy back into the device texture, wiping what was drawn into it since.
    void UploadTexturePixels(DWORD id);
    // 0 when the texture cannot be locked.
    int GetTexturePitch(DWORD id);
    // Writes "Fuck!!!" to the debug output when the texture cannot be locked; an empty writer throws
    // boost::bad_function_call (the texture is unlocked again).
    void WriteTexturePixels(DWORD id, const PixelWriter& converter);

    // --- Fonts and vector drawing.
    IMFontCache& GetFontCache() { return fontCache_; }
    // Stores the style in the path and selects (or creates) its font.
    void GetFont(IMGlyphPath& path, const std::wstring& face, int32_t height, bool bold, bool italic, bool underline);
    // The texture named key, made when the name is new: the first character of text drawn in the colour over the
    // background, in the rectangle's size (null: the character's advance and the font's cell height). kNoTexture
    // when nothing could be made.
    DWORD RenderGlyphTexture(const std::wstring& key, const wchar_t* text, const RECT* rect, D3DCOLOR colour,
        int32_t height, const std::wstring& face, bool italic, bool bold, bool underline, D3DCOLOR background);
    // Blends a 2-pixel red segment into the texture's picture (y down); its pixel copy keeps the picture without it.
    void RenderStrokeTexture(DWORD id, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

private:
    IMResourceManager();
    ~IMResourceManager() override;
    IMResourceManager(const IMResourceManager&) = delete;
    IMResourceManager& operator=(const IMResourceManager&) = delete;

    IMTexture* Record(DWORD id) const;
    DWORD TakeId();
    bool MakeTexture(
        const std::wstring& name, const TextureMaker& make, IDirect3DTexture9** texture, UINT* width, UINT* height);
    bool EvictTextureOtherThan(const std::wstring& name);
    void SetQuadStates();

    std::vector<std::unique_ptr<IMTexture>> textures_; // index = id; null = free id
    std::map<std::wstring, DWORD> names_;
    std::vector<DWORD> free_ids_; // last freed on top
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    IDirect3DVertexBuffer9* quad_buffer_ = nullptr;
    int32_t back_buffer_width_ = 0;
    int32_t back_buffer_height_ = 0;
    bool windowed_ = false;
    bool device_lost_ = false;
    int32_t refresh_rate_ = 0;
    HWND window_ = nullptr;
    DWORD start_time_ = 0;
    DWORD frame_count_ = 0;
    POINT origin_ {};
    IMFontCache fontCache_;
};
