#include "platform/d3d9/d3d9.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/rasterizer.h"
#include "platform/window/presenter.h"

namespace {

using platform::d3d9::GlobalFaults;
using platform::d3d9::TakeFailure;

constexpr DWORD kQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT kQuadStride = 28;
constexpr UINT kMaxTextureSide = 8192;
constexpr UINT kDefaultWidth = 800;
constexpr UINT kDefaultHeight = 600;

platform::d3d9::DrawnVertex ReadVertex(const BYTE* p)
{
    platform::d3d9::DrawnVertex v;
    std::memcpy(&v.x, p, 4);
    std::memcpy(&v.y, p + 4, 4);
    std::memcpy(&v.z, p + 8, 4);
    std::memcpy(&v.rhw, p + 12, 4);
    std::memcpy(&v.diffuse, p + 16, 4);
    std::memcpy(&v.u, p + 20, 4);
    std::memcpy(&v.v, p + 24, 4);
    return v;
}

platform::d3d9::RasterVertex ToRaster(const platform::d3d9::DrawnVertex& v)
{
    return { v.x, v.y, v.u, v.v };
}

} // namespace

namespace platform::d3d9 {
DeviceRecord& RecordOf(IDirect3DDevice9& device)
{
    return *device.record_;
}
} // namespace platform::d3d9

// --- Direct3D object -------------------------------------------------------------------------------------------

IDirect3D9* Direct3DCreate9(UINT sdk_version)
{
    if (sdk_version != D3D_SDK_VERSION || GlobalFaults().fail_direct3d_create)
        return nullptr;
    return new IDirect3D9;
}

HRESULT IDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode)
{
    if (adapter != D3DADAPTER_DEFAULT || !mode)
        return D3DERR_INVALIDCALL;
    if (GlobalFaults().fail_display_mode)
        return D3DERR_NOTAVAILABLE;
    *mode = D3DDISPLAYMODE { kDefaultWidth, kDefaultHeight, 60, D3DFMT_X8R8G8B8 };
    return D3D_OK;
}

HRESULT IDirect3D9::CreateDevice(
    UINT adapter, UINT, HWND, DWORD, D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (adapter != D3DADAPTER_DEFAULT || !params)
        return D3DERR_INVALIDCALL;
    if (TakeFailure(GlobalFaults().fail_create_device))
        return D3DERR_NOTAVAILABLE;
    UINT w = params->BackBufferWidth ? params->BackBufferWidth : kDefaultWidth;
    UINT h = params->BackBufferHeight ? params->BackBufferHeight : kDefaultHeight;
    if (w > kMaxTextureSide || h > kMaxTextureSide)
        return D3DERR_INVALIDCALL;
    params->BackBufferWidth = w;
    params->BackBufferHeight = h;
    *device = new IDirect3DDevice9(w, h);
    return D3D_OK;
}

ULONG IDirect3D9::Release()
{
    delete this;
    return 0;
}

// --- Device ----------------------------------------------------------------------------------------------------

IDirect3DDevice9::IDirect3DDevice9(UINT width, UINT height)
    : back_buffer_(size_t(width) * height, 0u)
    , width_(width)
    , height_(height)
    , viewport_ { 0, 0, width, height, 0.0f, 1.0f }
    , loss_epoch_(GlobalFaults().loss_epoch)
    , record_(new platform::d3d9::DeviceRecord)
{
}

IDirect3DDevice9::~IDirect3DDevice9()
{
    delete record_;
}

ULONG IDirect3DDevice9::Release()
{
    delete this;
    return 0;
}

HRESULT IDirect3DDevice9::TestCooperativeLevel()
{
    return loss_epoch_ < GlobalFaults().loss_epoch ? D3DERR_DEVICELOST : D3D_OK;
}

HRESULT IDirect3DDevice9::Clear(DWORD count, const void* rects, DWORD flags, D3DCOLOR color, float, DWORD)
{
    if (!(flags & D3DCLEAR_TARGET))
        return D3D_OK;
    RECT view { LONG(viewport_.X), LONG(viewport_.Y), LONG(viewport_.X + viewport_.Width),
        LONG(viewport_.Y + viewport_.Height) };
    // The first row is filled and the others are copies of it.
    auto fill = [&](const RECT& area) {
        RECT r;
        if (!IntersectRect(&r, &area, &view))
            return;
        uint32_t* first = back_buffer_.data() + size_t(r.top) * width_ + r.left;
        std::fill_n(first, r.right - r.left, color);
        const size_t bytes = size_t(r.right - r.left) * sizeof(uint32_t);
        for (LONG y = r.top + 1; y < r.bottom; ++y)
            std::memcpy(back_buffer_.data() + size_t(y) * width_ + r.left, first, bytes);
    };
    if (count == 0 || !rects) {
        fill(view);
        return D3D_OK;
    }
    const RECT* list = static_cast<const RECT*>(rects);
    for (DWORD k = 0; k < count; ++k)
        fill(list[k]);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::BeginScene()
{
    return D3D_OK;
}
HRESULT IDirect3DDevice9::EndScene()
{
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Present(const RECT*, const RECT*, HWND, const void*)
{
    if (TestCooperativeLevel() != D3D_OK)
        return D3DERR_DEVICELOST;
    if (platform::Presenter* presenter = platform::GetPresenter())
        presenter->PresentDiscarding(back_buffer_, int(width_), int(height_));
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetViewport(D3DVIEWPORT9* viewport)
{
    if (!viewport)
        return D3DERR_INVALIDCALL;
    *viewport = viewport_;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetViewport(const D3DVIEWPORT9* viewport)
{
    if (!viewport || uint64_t(viewport->X) + viewport->Width > width_
        || uint64_t(viewport->Y) + viewport->Height > height_)
        return D3DERR_INVALIDCALL;
    viewport_ = *viewport;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (GlobalFaults().record_states)
        record_->states.push_back({ platform::d3d9::StateKind::Render, 0, state, value });
    if (state == D3DRS_ALPHABLENDENABLE)
        alpha_blend_ = value;
    else if (state == D3DRS_CULLMODE)
        cull_mode_ = value;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (GlobalFaults().record_states)
        record_->states.push_back({ platform::d3d9::StateKind::TextureStage, stage, type, value });
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    if (GlobalFaults().record_states)
        record_->states.push_back({ platform::d3d9::StateKind::Sampler, sampler, type, value });
    if (sampler != 0)
        return D3D_OK;
    if (type == D3DSAMP_MINFILTER)
        min_filter_ = value;
    else if (type == D3DSAMP_MAGFILTER)
        mag_filter_ = value;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetVertexShader(void* shader)
{
    return shader ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT IDirect3DDevice9::SetFVF(DWORD fvf)
{
    fvf_ = fvf;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride)
{
    if (stream != 0)
        return D3DERR_INVALIDCALL;
    stream_ = buffer;
    stream_offset_ = offset;
    stream_stride_ = stride;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTexture(DWORD stage, IDirect3DTexture9* texture)
{
    if (stage != 0)
        return D3DERR_INVALIDCALL;
    texture_ = texture;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawPrimitive(UINT type, UINT start_vertex, UINT primitive_count)
{
    if (type != D3DPT_TRIANGLEFAN || fvf_ != kQuadFvf || !stream_ || stream_stride_ < kQuadStride)
        return D3DERR_INVALIDCALL;
    uint64_t end = stream_offset_ + (uint64_t(start_vertex) + primitive_count + 2) * stream_stride_;
    if (primitive_count == 0 || end > stream_->bytes_.size() || stream_->locked_)
        return D3DERR_INVALIDCALL;
    ++record_->draws;
    record_->last_texture = texture_;
    UINT vertices = primitive_count + 2;
    for (UINT k = 0; k < 4 && k < vertices; ++k)
        record_->last_vertices[k]
            = ReadVertex(stream_->bytes_.data() + stream_offset_ + size_t(start_vertex + k) * stream_stride_);
    // A lost device accepts drawing and shows none of it.
    if (TestCooperativeLevel() != D3D_OK)
        return D3D_OK;
    DrawTriangleFan(start_vertex, primitive_count);
    return D3D_OK;
}

// The diffuse colour is taken from the first vertex: the engine gives all four corners the same tint.
void IDirect3DDevice9::DrawTriangleFan(UINT start_vertex, UINT triangles)
{
    using namespace platform::d3d9;
    RasterTarget target;
    target.pixels = back_buffer_.data();
    target.stride = int(width_);
    target.clip = RECT { LONG(viewport_.X), LONG(viewport_.Y), LONG(viewport_.X + viewport_.Width),
        LONG(viewport_.Y + viewport_.Height) };
    RasterSource source;
    if (texture_) {
        source.texels = texture_->texels_.data();
        source.width = int(texture_->width_);
        source.height = int(texture_->height_);
        source.ignore_alpha = texture_->format_ == D3DFMT_X8R8G8B8;
        source.coverage = texture_->coverage_.data();
    }
    auto vertex = [&](UINT k) {
        return ReadVertex(stream_->bytes_.data() + stream_offset_ + size_t(start_vertex + k) * stream_stride_);
    };
    RasterState state;
    state.tint = vertex(0).diffuse;
    state.blend = alpha_blend_ != FALSE;
    state.cull = cull_mode_;
    state.min_linear = min_filter_ == D3DTEXF_LINEAR;
    state.mag_linear = mag_filter_ == D3DTEXF_LINEAR;
    if (triangles == 2) {
        RasterVertex quad[4] = { ToRaster(vertex(0)), ToRaster(vertex(1)), ToRaster(vertex(2)), ToRaster(vertex(3)) };
        DrawQuadFan(target, source, state, quad);
        return;
    }
    RasterVertex hub = ToRaster(vertex(0));
    for (UINT k = 0; k < triangles; ++k)
        DrawTriangle(target, source, state, hub, ToRaster(vertex(k + 1)), ToRaster(vertex(k + 2)));
}

HRESULT IDirect3DDevice9::CreateTexture(
    UINT width, UINT height, UINT, DWORD, D3DFORMAT format, UINT, IDirect3DTexture9** texture, void*)
{
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (width == 0 || height == 0 || width > kMaxTextureSide || height > kMaxTextureSide
        || (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8))
        return D3DERR_INVALIDCALL;
    auto& faults = GlobalFaults();
    std::size_t bytes = std::size_t(width) * height * 4;
    if (bytes > faults.budget || faults.bytes_in_use > faults.budget - bytes)
        return D3DERR_OUTOFVIDEOMEMORY;
    try {
        *texture = new IDirect3DTexture9(width, height, format);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateVertexBuffer(UINT length, DWORD, DWORD, UINT, IDirect3DVertexBuffer9** buffer, void*)
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = length ? new IDirect3DVertexBuffer9(length) : nullptr;
    return length ? D3D_OK : D3DERR_INVALIDCALL;
}

// --- Texture ---------------------------------------------------------------------------------------------------

IDirect3DTexture9::IDirect3DTexture9(UINT width, UINT height, D3DFORMAT format)
    : texels_(size_t(width) * height, 0u)
    , coverage_(height)
    , width_(width)
    , height_(height)
    , format_(format)
{
    GlobalFaults().bytes_in_use += texels_.size() * 4;
}

IDirect3DTexture9::~IDirect3DTexture9()
{
    GlobalFaults().bytes_in_use -= texels_.size() * 4;
}

ULONG IDirect3DTexture9::Release()
{
    delete this;
    return 0;
}

HRESULT IDirect3DTexture9::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (level != 0 || !desc)
        return D3DERR_INVALIDCALL;
    *desc = D3DSURFACE_DESC { format_, width_, height_ };
    return D3D_OK;
}

HRESULT IDirect3DTexture9::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD)
{
    if (level != 0 || !locked || locked_)
        return D3DERR_INVALIDCALL;
    if (TakeFailure(GlobalFaults().fail_texture_lock))
        return D3DERR_INVALIDCALL;
    size_t offset = 0;
    locked_top_ = 0;
    locked_bottom_ = height_;
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom
            || UINT(rect->right) > width_ || UINT(rect->bottom) > height_)
            return D3DERR_INVALIDCALL;
        offset = size_t(rect->top) * width_ + size_t(rect->left);
        locked_top_ = UINT(rect->top);
        locked_bottom_ = UINT(rect->bottom);
    }
    locked_ = true;
    locked->Pitch = int(width_ * 4);
    locked->pBits = texels_.data() + offset;
    return D3D_OK;
}

HRESULT IDirect3DTexture9::UnlockRect(UINT level)
{
    if (level != 0 || !locked_)
        return D3DERR_INVALIDCALL;
    locked_ = false;
    MeasureRows(locked_top_, locked_bottom_);
    return D3D_OK;
}

void IDirect3DTexture9::MeasureRows(UINT top, UINT bottom)
{
    // Drawing reads every texel of this format as opaque and never asks.
    if (format_ == D3DFMT_X8R8G8B8)
        return;
    for (UINT y = top; y < bottom; ++y)
        coverage_[y] = platform::d3d9::MeasureRow(texels_.data() + size_t(y) * width_, int(width_));
}

// --- Vertex buffer ---------------------------------------------------------------------------------------------

IDirect3DVertexBuffer9::IDirect3DVertexBuffer9(UINT length)
    : bytes_(length, 0)
{
}

ULONG IDirect3DVertexBuffer9::Release()
{
    delete this;
    return 0;
}

HRESULT IDirect3DVertexBuffer9::Lock(UINT offset, UINT size, void** data, DWORD)
{
    if (!data || locked_ || offset > bytes_.size() || (size && size > bytes_.size() - offset))
        return D3DERR_INVALIDCALL;
    if (TakeFailure(GlobalFaults().fail_vertex_buffer_lock))
        return D3DERR_INVALIDCALL;
    locked_ = true;
    *data = bytes_.data() + offset;
    return D3D_OK;
}

HRESULT IDirect3DVertexBuffer9::Unlock()
{
    if (!locked_)
        return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
}
