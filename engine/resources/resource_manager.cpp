#include "engine/resources/resource_manager.h"

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

#include "engine/resources/skin_textures.h"
#include "platform/system/debug_output.h"
#include "platform/time/clock.h"

namespace {

IMResourceManager* g_instance = nullptr;

constexpr int kStartRefreshRate = 75;
constexpr int kBackBufferWidth = 800;
constexpr int kBackBufferHeight = 600;
constexpr DWORD kQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The pre-transformed vertex every quad is drawn with.
struct QuadVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};
static_assert(sizeof(QuadVertex) == 28);

constexpr UINT kQuadBytes = 4 * sizeof(QuadVertex);

} // namespace

IMResourceManager* IMResourceManager::Instance()
{
    return g_instance;
}
IDirect3DDevice9* IMResourceManager::GetDevice() const
{
    return device_;
}
POINT IMResourceManager::GetOrigin() const
{
    return origin_;
}
void IMResourceManager::SetOrigin(POINT origin)
{
    origin_ = origin;
}

IMResourceManager::IMResourceManager() = default;

IMResourceManager::~IMResourceManager()
{
    textures_.clear();
    fontCache_.Clear();
    if (quad_buffer_)
        quad_buffer_->Release();
    if (device_)
        device_->Release();
    if (d3d_)
        d3d_->Release();
}

void IMResourceManager::StartGraphics(bool windowed, HWND window)
{
    if (g_instance)
        return;
    IMResourceManager* manager = new IMResourceManager;
    manager->start_time_ = timeGetTime();
    manager->frame_count_ = 0;
    manager->window_ = window;
    g_instance = manager;
    manager->Init(window);
    try {
        if (manager->CreateDevice(kStartRefreshRate, window, windowed, kBackBufferWidth, kBackBufferHeight) != 0)
            throw std::runtime_error("Не могу создать устройство Direct3D");
    } catch (...) {
        g_instance = nullptr;
        delete manager;
        throw;
    }
    RegisterSkinTextures(*manager);
}

void IMResourceManager::StopGraphics()
{
    IMResourceManager* manager = g_instance;
    if (!manager)
        return;
    ReleaseSkinTextures(*manager);
    DWORD elapsed = timeGetTime() - manager->start_time_;
    // 64-bit product: a long session must not wrap the frame count times 1000.
    uint64_t fps = elapsed ? uint64_t(manager->frame_count_) * 1000 / elapsed : 0;
    OutputDebugStringW((L"FPS: " + std::to_wstring(DWORD(fps)) + L"\n").c_str());
    delete manager;
    g_instance = nullptr;
}

int IMResourceManager::CreateDevice(int refresh_rate, HWND window, bool windowed, int width, int height)
{
    if (!d3d_) {
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        if (!d3d_)
            throw std::runtime_error("Can't init Direct3D");
    }
    D3DDISPLAYMODE mode;
    if (FAILED(d3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode)))
        throw std::runtime_error("Can't init DisplayMode");

    // The main window's client area is always the back buffer's size, windowed or not.
    D3DPRESENT_PARAMETERS params {};
    params.Windowed = windowed ? TRUE : FALSE;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.BackBufferWidth = UINT(width);
    params.BackBufferHeight = UINT(height);
    params.FullScreen_RefreshRateInHz = windowed ? 0 : UINT(refresh_rate);
    params.BackBufferFormat = D3DFMT_A8R8G8B8;
    params.BackBufferCount = 3;
    params.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    windowed_ = windowed;
    back_buffer_width_ = width;
    back_buffer_height_ = height;
    if (!windowed)
        refresh_rate_ = refresh_rate;

    if (quad_buffer_)
        quad_buffer_->Release();
    quad_buffer_ = nullptr;
    if (device_)
        device_->Release();
    device_ = nullptr;
    if (FAILED(d3d_->CreateDevice(
            D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_))) {
        device_ = nullptr;
        return 1;
    }
    if (FAILED(device_->CreateVertexBuffer(kQuadBytes, 0, kQuadFvf, D3DPOOL_SYSTEMMEM, &quad_buffer_, nullptr)))
        quad_buffer_ = nullptr;
    device_lost_ = false;
    return 0;
}

bool IMResourceManager::IsDeviceLost()
{
    if (!device_lost_)
        device_lost_ = !device_ || device_->TestCooperativeLevel() != D3D_OK;
    return device_lost_;
}

bool IMResourceManager::ResetDevice()
{
    for (DWORD id = 0; id < GetTextureCount(); ++id)
        ReleaseDeviceTexture(id);
    if (device_lost_) {
        // Reached from the window procedure: a failure keeps the device lost instead of unwinding the loop.
        try {
            device_lost_
                = CreateDevice(refresh_rate_, window_, windowed_, back_buffer_width_, back_buffer_height_) != 0;
        } catch (const std::exception&) {
            device_lost_ = true;
        }
    }
    return !device_lost_;
}

void IMResourceManager::SetQuadStates()
{
    IDirect3DDevice9* d = device_;
    d->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    d->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
    d->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    d->SetRenderState(D3DRS_FOGENABLE, FALSE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    d->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    d->SetRenderState(D3DRS_LIGHTING, FALSE);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
}

void IMResourceManager::DrawQuad(DWORD texture_id, const RECT& dst, const RECT* src, D3DCOLOR tint, float angle)
{
    IMTexture* t = Record(texture_id);
    if (!t || !device_ || !quad_buffer_)
        return;
    if (!t->texture)
        RestoreTexture(texture_id);
    // A texture that could not come back shows nothing rather than a bare tinted rectangle.
    if (!t->texture)
        return;
    const RECT s = src ? *src : t->image_rect;
    const float cx = float(dst.left + dst.right) * 0.5f;
    const float cy = float(dst.top + dst.bottom) * 0.5f;
    if (dst.left >= dst.right || dst.top >= dst.bottom)
        return;
    SetQuadStates();

    void* data = nullptr;
    if (FAILED(quad_buffer_->Lock(0, 0, &data, 0)))
        return;
    const float tw = float(t->texture_width), th = float(t->texture_height);
    const float u0 = float(s.left) / tw, u1 = float(s.right) / tw;
    const float v0 = float(s.top) / th, v1 = float(s.bottom) / th;
    QuadVertex q[4] = {
        { 0, 0, 0, 1, tint, u0, v0 },
        { 0, 0, 0, 1, tint, u1, v0 },
        { 0, 0, 0, 1, tint, u1, v1 },
        { 0, 0, 0, 1, tint, u0, v1 },
    };
    const LONG xs[4] = { dst.left, dst.right, dst.right, dst.left };
    const LONG ys[4] = { dst.top, dst.top, dst.bottom, dst.bottom };
    if (angle == 0.0f) {
        for (int k = 0; k < 4; ++k) {
            q[k].x = float(origin_.x + xs[k]) - 0.5f;
            q[k].y = float(origin_.y + ys[k]) - 0.5f;
        }
    } else {
        // Turning moves the corners only: each keeps its texture coordinate, so the source part is shown.
        const float c = std::cos(angle), sn = std::sin(angle);
        for (int k = 0; k < 4; ++k) {
            float dx = float(xs[k]) - cx, dy = float(ys[k]) - cy;
            q[k].x = float(origin_.x) + (cx + c * dx - sn * dy) - 0.5f;
            q[k].y = float(origin_.y) + (cy + sn * dx + c * dy) - 0.5f;
        }
    }
    std::memcpy(data, q, sizeof(q));
    quad_buffer_->Unlock();

    device_->SetVertexShader(nullptr);
    device_->SetFVF(kQuadFvf);
    device_->SetStreamSource(0, quad_buffer_, 0, sizeof(QuadVertex));
    device_->SetTexture(0, t->texture);
    device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
}
