// A full-screen root dialog over a started resource manager with the embedded assets, drawn through the
// headless device.
#pragma once

#include <gtest/gtest.h>

#include "assets/embedded_assets.h"
#include "engine/controls/dialog_base.h"
#include "engine/resources/resource_manager.h"
#include "platform/headless/headless_presenter.h"

class ScreenTest : public ::testing::Test {
protected:
    using IMDialog = IMDialogBase<IMEmptyView>;

    void SetUp() override
    {
        RegisterEmbeddedAssets();
        IMResourceManager::StartGraphics(false);
        ASSERT_NE(IMResourceManager::Instance(), nullptr);
        root_ = CreateDialog(nullptr, 0, 800, 0, 600, 0);
    }
    void TearDown() override
    {
        delete root_;
        IMResourceManager::StopGraphics();
    }
    // Clears the back buffer, draws the root dialog and presents the frame.
    void Render(D3DCOLOR clear = 0xFF000000u)
    {
        IDirect3DDevice9* device = IMResourceManager::Instance()->GetDevice();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, clear, 1.0f, 0);
        device->BeginScene();
        root_->OnDraw(IMEvent(root_, IMEV_DRAW));
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    }

    platform::headless::HeadlessPresenter presenter_;
    IMDialog* root_ = nullptr;
};
