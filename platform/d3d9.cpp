// Placeholder bodies until the software rasteriser lands: every call fails or does nothing.
#include "platform/d3d9.h"

IDirect3D9* Direct3DCreate9(UINT) { return nullptr; }
HRESULT IDirect3D9::GetAdapterDisplayMode(UINT, D3DDISPLAYMODE*) { return E_FAIL; }
HRESULT IDirect3D9::CreateDevice(UINT, UINT, HWND, DWORD, D3DPRESENT_PARAMETERS*, IDirect3DDevice9**) { return E_FAIL; }
ULONG IDirect3D9::Release() { return 0; }
HRESULT IDirect3DDevice9::TestCooperativeLevel() { return D3D_OK; }
HRESULT IDirect3DDevice9::Clear(DWORD, const void*, DWORD, D3DCOLOR, float, DWORD) { return D3D_OK; }
HRESULT IDirect3DDevice9::BeginScene() { return D3D_OK; }
HRESULT IDirect3DDevice9::EndScene() { return D3D_OK; }
HRESULT IDirect3DDevice9::Present(const RECT*, const RECT*, HWND, const void*) { return D3D_OK; }
HRESULT IDirect3DDevice9::GetViewport(D3DVIEWPORT9* vp) { *vp = D3DVIEWPORT9{0, 0, 800, 600, 0.0f, 1.0f}; return D3D_OK; }
HRESULT IDirect3DDevice9::SetViewport(const D3DVIEWPORT9*) { return D3D_OK; }
HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE, DWORD) { return D3D_OK; }
HRESULT IDirect3DDevice9::SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) { return D3D_OK; }
HRESULT IDirect3DDevice9::SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) { return D3D_OK; }
HRESULT IDirect3DDevice9::SetVertexShader(void*) { return D3D_OK; }
HRESULT IDirect3DDevice9::SetFVF(DWORD) { return D3D_OK; }
HRESULT IDirect3DDevice9::SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) { return D3D_OK; }
HRESULT IDirect3DDevice9::SetTexture(DWORD, IDirect3DTexture9*) { return D3D_OK; }
HRESULT IDirect3DDevice9::DrawPrimitive(UINT, UINT, UINT) { return D3D_OK; }
HRESULT IDirect3DDevice9::CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, UINT, IDirect3DTexture9**, void*) { return E_FAIL; }
HRESULT IDirect3DDevice9::CreateVertexBuffer(UINT, DWORD, DWORD, UINT, IDirect3DVertexBuffer9**, void*) { return E_FAIL; }
ULONG IDirect3DDevice9::Release() { return 0; }
HRESULT IDirect3DTexture9::GetLevelDesc(UINT, D3DSURFACE_DESC*) { return E_FAIL; }
HRESULT IDirect3DTexture9::LockRect(UINT, D3DLOCKED_RECT*, const RECT*, DWORD) { return E_FAIL; }
HRESULT IDirect3DTexture9::UnlockRect(UINT) { return E_FAIL; }
ULONG IDirect3DTexture9::Release() { return 0; }
HRESULT IDirect3DVertexBuffer9::Lock(UINT, UINT, void**, DWORD) { return E_FAIL; }
HRESULT IDirect3DVertexBuffer9::Unlock() { return E_FAIL; }
ULONG IDirect3DVertexBuffer9::Release() { return 0; }
