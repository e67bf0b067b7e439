// A started resource manager on the headless presenter, with textures filled by a test function.
#pragma once

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "engine/resources/pow2_texture.h"
#include "engine/resources/resource_manager.h"
#include "platform/headless/headless_presenter.h"
#include "platform/testing/device_faults.h"

class ManagerTest : public ::testing::Test {
protected:
    using Fill = std::function<uint32_t(int, int)>;

    void SetUp() override
    {
        IMResourceManager::StartGraphics(false);
        rm_ = IMResourceManager::Instance();
        ASSERT_NE(rm_, nullptr);
    }
    void TearDown() override { IMResourceManager::StopGraphics(); }

    // A w x h picture named name whose pixel (x, y) is fill(x, y); counts how often a picture was made.
    DWORD Picture(const std::wstring& name, int w, int h, Fill fill = Opaque)
    {
        return rm_->CreateNamedTexture(
            name, [=, this](IDirect3DDevice9* device, IDirect3DTexture9** tex, UINT* pw, UINT* ph) {
                if (!CreatePow2Texture(device, tex, UINT(w), UINT(h), D3DFMT_A8R8G8B8))
                    return false;
                ++made_;
                D3DLOCKED_RECT lr;
                if (FAILED((*tex)->LockRect(0, &lr, nullptr, 0)))
                    return false;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        reinterpret_cast<uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] = fill(x, y);
                (*tex)->UnlockRect(0);
                *pw = UINT(w);
                *ph = UINT(h);
                return true;
            });
    }

    static uint32_t Opaque(int x, int y) { return 0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | 0x77u; }

    uint32_t Shown(int x, int y)
    {
        rm_->GetDevice()->Present(nullptr, nullptr, nullptr, nullptr);
        return presenter_.Pixel(x, y);
    }

    void ClearScreen(D3DCOLOR color = 0xFF000000u)
    {
        rm_->GetDevice()->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0);
    }

    platform::headless::HeadlessPresenter presenter_;
    IMResourceManager* rm_ = nullptr;
    int made_ = 0;
};
