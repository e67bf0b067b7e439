// A started resource manager on the headless presenter, with pictures made in the test: each picture is opaque
// inside its opaque rectangle and fully transparent elsewhere, and the test holds one reference to it.
#pragma once

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "engine/resources/pow2_texture.h"
#include "engine/resources/resource_manager.h"
#include "platform/headless/headless_presenter.h"

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        IMResourceManager::StartGraphics(false);
        rm_ = IMResourceManager::Instance();
        ASSERT_NE(rm_, nullptr);
    }
    void TearDown() override { IMResourceManager::StopGraphics(); }

    DWORD Picture(const std::wstring& name, int w, int h, RECT opaque, uint32_t rgb = 0x3366CCu)
    {
        return rm_->CreateNamedTexture(
            name, [=](IDirect3DDevice9* device, IDirect3DTexture9** tex, UINT* pw, UINT* ph) {
                D3DLOCKED_RECT lr;
                if (!CreatePow2Texture(device, tex, UINT(w), UINT(h), D3DFMT_A8R8G8B8)
                    || FAILED((*tex)->LockRect(0, &lr, nullptr, 0)))
                    return false;
                for (int y = 0; y < h; ++y) {
                    auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch);
                    for (int x = 0; x < w; ++x)
                        row[x] = PtInRect(&opaque, POINT { x, y }) ? 0xFF000000u | rgb : 0u;
                }
                (*tex)->UnlockRect(0);
                *pw = UINT(w);
                *ph = UINT(h);
                return true;
            });
    }
    DWORD Picture(const std::wstring& name, int w, int h, uint32_t rgb = 0x3366CCu)
    {
        return Picture(name, w, h, RECT { 0, 0, w, h }, rgb);
    }

    // References held on the named texture; 0 when the table does not know it.
    int32_t Refs(const std::wstring& name) const
    {
        const IMTexture* t = rm_->GetTextureRecord(rm_->FindTexture(name));
        return t ? t->ref_count : 0;
    }

    platform::headless::HeadlessPresenter presenter_;
    IMResourceManager* rm_ = nullptr;
};
