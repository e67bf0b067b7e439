// A software device on a headless presenter, with helpers to fill textures and draw pre-transformed quads.
#pragma once

#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "platform/d3d9/d3d9.h"
#include "platform/headless/headless_presenter.h"
#include "platform/testing/device_faults.h"

class DeviceTest : public ::testing::Test {
protected:
    struct Vertex {
        float x, y, z, rhw;
        D3DCOLOR diffuse;
        float u, v;
    };

    void SetUp() override
    {
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
        D3DPRESENT_PARAMETERS pp {};
        pp.BackBufferWidth = 800;
        pp.BackBufferHeight = 600;
        pp.BackBufferFormat = D3DFMT_A8R8G8B8;
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr, 0, &pp, &device_), D3D_OK);
        ASSERT_EQ(device_->CreateVertexBuffer(112, 0, 0x144, D3DPOOL_SYSTEMMEM, &buffer_, nullptr), D3D_OK);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.0f, 0);
    }

    void TearDown() override
    {
        for (IDirect3DTexture9* t : textures_)
            t->Release();
        if (buffer_)
            buffer_->Release();
        if (device_)
            device_->Release();
        if (d3d_)
            d3d_->Release();
    }

    // A texture whose texel (x, y) is fill(x, y).
    IDirect3DTexture9* MakeTexture(
        UINT w, UINT h, std::function<uint32_t(int, int)> fill, D3DFORMAT format = D3DFMT_A8R8G8B8)
    {
        IDirect3DTexture9* t = nullptr;
        EXPECT_EQ(device_->CreateTexture(w, h, 0, D3DUSAGE_DYNAMIC, format, D3DPOOL_DEFAULT, &t, nullptr), D3D_OK);
        D3DLOCKED_RECT lr;
        EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < h; ++y)
            for (UINT x = 0; x < w; ++x)
                reinterpret_cast<uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] = fill(int(x), int(y));
        t->UnlockRect(0);
        textures_.push_back(t);
        return t;
    }

    // Corners TL, TR, BR, BL of the pixel rectangle [l, r) x [t, b) with the half-pixel offset.
    void DrawRect(IDirect3DTexture9* tex, float l, float t, float r, float b, float u0, float v0, float u1, float v1,
        D3DCOLOR tint = 0xFFFFFFFF)
    {
        Vertex q[4] = { { l - 0.5f, t - 0.5f, 0, 1, tint, u0, v0 }, { r - 0.5f, t - 0.5f, 0, 1, tint, u1, v0 },
            { r - 0.5f, b - 0.5f, 0, 1, tint, u1, v1 }, { l - 0.5f, b - 0.5f, 0, 1, tint, u0, v1 } };
        DrawVertices(tex, q);
    }

    void DrawVertices(IDirect3DTexture9* tex, const Vertex q[4])
    {
        void* p = nullptr;
        ASSERT_EQ(buffer_->Lock(0, 0, &p, 0), D3D_OK);
        std::memcpy(p, q, 112);
        buffer_->Unlock();
        device_->SetFVF(0x144);
        device_->SetStreamSource(0, buffer_, 0, 28);
        device_->SetTexture(0, tex);
        ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2), D3D_OK);
    }

    uint32_t Shown(int x, int y)
    {
        device_->Present(nullptr, nullptr, nullptr, nullptr);
        return presenter_.Pixel(x, y);
    }

    static constexpr uint32_t kBackground = 0xFF102030;
    platform::headless::HeadlessPresenter presenter_;
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    IDirect3DVertexBuffer9* buffer_ = nullptr;
    std::vector<IDirect3DTexture9*> textures_;
};

inline int Channel(uint32_t c, int shift)
{
    return int((c >> shift) & 0xFF);
}

// Each colour channel within one step of the expected one.
inline ::testing::AssertionResult RgbNear(uint32_t actual, uint32_t expected)
{
    for (int shift : { 0, 8, 16 })
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > 1)
            return ::testing::AssertionFailure() << std::hex << actual << " vs " << expected;
    return ::testing::AssertionSuccess();
}
