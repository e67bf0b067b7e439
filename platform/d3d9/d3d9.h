// A Direct3D-9-shaped software device: the subset of calls the engine makes, with Direct3D 9's drawing rules.
// Textures live in system memory; Present hands the back buffer to the active presenter (SDL or headless).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"

using D3DCOLOR = DWORD;
using D3DFORMAT = UINT;

constexpr UINT D3D_SDK_VERSION = 32;
constexpr UINT D3DADAPTER_DEFAULT = 0;
constexpr UINT D3DDEVTYPE_HAL = 1;
constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;

constexpr D3DFORMAT D3DFMT_UNKNOWN = 0;
constexpr D3DFORMAT D3DFMT_A8R8G8B8 = 21;
constexpr D3DFORMAT D3DFMT_X8R8G8B8 = 22;

constexpr UINT D3DSWAPEFFECT_DISCARD = 1;
constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0;
constexpr DWORD D3DUSAGE_DYNAMIC = 0x200;
constexpr UINT D3DPOOL_DEFAULT = 0;
constexpr UINT D3DPOOL_SYSTEMMEM = 2;
constexpr DWORD D3DFVF_XYZRHW = 0x004;
constexpr DWORD D3DFVF_DIFFUSE = 0x040;
constexpr DWORD D3DFVF_TEX1 = 0x100;
constexpr DWORD D3DCLEAR_TARGET = 1;
constexpr UINT D3DPT_TRIANGLEFAN = 6;

constexpr HRESULT D3D_OK = 0;
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);
constexpr HRESULT D3DERR_DEVICELOST = static_cast<HRESULT>(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = static_cast<HRESULT>(0x88760869u);
constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086Au);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017Cu);

// Render states, texture stage states and sampler states the engine sets (Direct3D 9 numbering).
enum D3DRENDERSTATETYPE : UINT {
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_ALPHATESTENABLE = 15,
    D3DRS_FILLMODE = 8,
    D3DRS_SHADEMODE = 9,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_FOGENABLE = 28,
    D3DRS_LIGHTING = 137,
    D3DRS_COLORWRITEENABLE = 168,
    D3DRS_BLENDOP = 171,
    D3DRS_SEPARATEALPHABLENDENABLE = 206,
};
constexpr DWORD D3DFILL_SOLID = 3;
constexpr DWORD D3DSHADE_GOURAUD = 2;
constexpr DWORD D3DBLEND_SRCALPHA = 5;
constexpr DWORD D3DBLEND_INVSRCALPHA = 6;
constexpr DWORD D3DCULL_NONE = 1;
constexpr DWORD D3DCULL_CW = 2;
constexpr DWORD D3DCULL_CCW = 3;
constexpr DWORD D3DBLENDOP_ADD = 1;

enum D3DTEXTURESTAGESTATETYPE : UINT {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
};
constexpr DWORD D3DTOP_MODULATE = 4;
constexpr DWORD D3DTA_DIFFUSE = 0;
constexpr DWORD D3DTA_TEXTURE = 2;

enum D3DSAMPLERSTATETYPE : UINT {
    D3DSAMP_ADDRESSU = 1,
    D3DSAMP_ADDRESSV = 2,
    D3DSAMP_MAGFILTER = 5,
    D3DSAMP_MINFILTER = 6,
    D3DSAMP_MIPFILTER = 7,
};
constexpr DWORD D3DTEXF_NONE = 0;
constexpr DWORD D3DTEXF_POINT = 1;
constexpr DWORD D3DTEXF_LINEAR = 2;
constexpr DWORD D3DTADDRESS_WRAP = 1;

struct D3DDISPLAYMODE {
    UINT Width = 0, Height = 0, RefreshRate = 0;
    D3DFORMAT Format = D3DFMT_UNKNOWN;
};

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth = 0;
    UINT BackBufferHeight = 0;
    D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
    UINT BackBufferCount = 0;
    UINT MultiSampleType = 0;
    DWORD MultiSampleQuality = 0;
    UINT SwapEffect = 0;
    HWND hDeviceWindow = nullptr;
    BOOL Windowed = FALSE;
    BOOL EnableAutoDepthStencil = FALSE;
    D3DFORMAT AutoDepthStencilFormat = D3DFMT_UNKNOWN;
    DWORD Flags = 0;
    UINT FullScreen_RefreshRateInHz = 0;
    UINT PresentationInterval = 0;
};

struct D3DVIEWPORT9 {
    DWORD X = 0, Y = 0, Width = 0, Height = 0;
    float MinZ = 0.0f, MaxZ = 1.0f;
};

struct D3DLOCKED_RECT {
    int Pitch = 0;
    void* pBits = nullptr;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    UINT Width = 0, Height = 0;
};

class IDirect3DDevice9;
class IDirect3DTexture9;
class IDirect3DVertexBuffer9;

namespace platform::d3d9 {
struct DeviceRecord;
struct RowCoverage;
DeviceRecord& RecordOf(IDirect3DDevice9& device);
} // namespace platform::d3d9

// The software device's objects are singly owned; Release() deletes them (the engine never shares them).
class IDirect3D9 {
public:
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode);
    HRESULT CreateDevice(
        UINT adapter, UINT type, HWND window, DWORD flags, D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device);
    ULONG Release();
};

// Null when creation fails (only by fault injection).
IDirect3D9* Direct3DCreate9(UINT sdk_version);

class IDirect3DDevice9 {
public:
    HRESULT TestCooperativeLevel();
    HRESULT Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil);
    HRESULT BeginScene();
    HRESULT EndScene();
    HRESULT Present(const RECT* src, const RECT* dst, HWND window, const void* dirty);
    HRESULT GetViewport(D3DVIEWPORT9* viewport);
    // Pixels outside the viewport are not written; pre-transformed vertices are not moved by it.
    // A viewport reaching beyond the back buffer is refused.
    HRESULT SetViewport(const D3DVIEWPORT9* viewport);
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
    HRESULT SetVertexShader(void* shader);
    HRESULT SetFVF(DWORD fvf);
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride);
    HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture);
    // Only the pre-transformed format 0x144 is drawn: x, y, z, rhw, diffuse, u, v (28 bytes).
    HRESULT DrawPrimitive(UINT type, UINT start_vertex, UINT primitive_count);
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, UINT pool,
        IDirect3DTexture9** texture, void* shared);
    HRESULT CreateVertexBuffer(
        UINT length, DWORD usage, DWORD fvf, UINT pool, IDirect3DVertexBuffer9** buffer, void* shared);
    ULONG Release();

private:
    friend class IDirect3D9;
    friend platform::d3d9::DeviceRecord& platform::d3d9::RecordOf(IDirect3DDevice9& device);

    IDirect3DDevice9(UINT width, UINT height);
    ~IDirect3DDevice9();
    void DrawTriangleFan(UINT start_vertex, UINT triangles);

    std::vector<uint32_t> back_buffer_;
    UINT width_;
    UINT height_;
    D3DVIEWPORT9 viewport_;
    uint64_t loss_epoch_;
    DWORD alpha_blend_ = FALSE;
    DWORD cull_mode_ = D3DCULL_CCW;
    DWORD min_filter_ = D3DTEXF_POINT;
    DWORD mag_filter_ = D3DTEXF_POINT;
    DWORD fvf_ = 0;
    IDirect3DVertexBuffer9* stream_ = nullptr;
    UINT stream_offset_ = 0;
    UINT stream_stride_ = 0;
    IDirect3DTexture9* texture_ = nullptr;
    platform::d3d9::DeviceRecord* record_;
};

// Level 0 only, zero-filled at creation, Pitch = Width * 4, bytes B, G, R, A in memory.
class IDirect3DTexture9 {
public:
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc);
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT UnlockRect(UINT level);
    ULONG Release();

private:
    friend class IDirect3DDevice9;

    IDirect3DTexture9(UINT width, UINT height, D3DFORMAT format);
    ~IDirect3DTexture9();

    void MeasureRows(UINT top, UINT bottom);

    std::vector<uint32_t> texels_;
    // Kept up to date on unlock, so drawing can skip transparent texels and copy opaque ones.
    std::vector<platform::d3d9::RowCoverage> coverage_;
    UINT width_;
    UINT height_;
    D3DFORMAT format_;
    bool locked_ = false;
    UINT locked_top_ = 0, locked_bottom_ = 0;
};

class IDirect3DVertexBuffer9 {
public:
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();
    ULONG Release();

private:
    friend class IDirect3DDevice9;

    explicit IDirect3DVertexBuffer9(UINT length);

    std::vector<BYTE> bytes_;
    bool locked_ = false;
};
