// The main window with the embedded skin on the headless back end, under a test clock that each idle pass moves
// by 1 ms; widgets are built in it and used with injected input through its message loop.
#pragma once

#include <vector>

#include <gtest/gtest.h>

#include "assets/embedded_assets.h"
#include "engine/window/window.h"
#include "platform/headless/headless_input.h"
#include "platform/headless/headless_presenter.h"
#include "platform/testing/test_clock.h"

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlackPixel = 0xFF000000u;

class WidgetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterEmbeddedAssets();
        const RECT rect { 0, 0, 800, 600 };
        window_ = IMWindow::Create(nullptr, &rect, L"Виджеты", false, nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override { delete window_; }

    // Runs the loop for ms of test time; the input given before is handled in it.
    void RunFor(DWORD ms)
    {
        input_.QuitAfter(ms);
        IMWindow::Run(window_);
    }
    void ClickAt(int x, int y)
    {
        input_.MoveTo(x, y);
        input_.Click();
    }
    void Key(UINT vk, int times = 1)
    {
        for (int i = 0; i < times; ++i) {
            input_.KeyDown(vk);
            input_.KeyUp(vk);
        }
    }
    // The ids of the main window's timers that are armed now.
    std::vector<DWORD> ArmedTimers()
    {
        const DWORD probe = window_->AddTimer(1000);
        window_->RemoveTimer(probe);
        std::vector<DWORD> armed;
        for (DWORD id = 1; id < probe; ++id) {
            im::Connection c = window_->ConnectTimer(id, [](const IMEvent&) -> long { return 0; });
            if (c.connected())
                armed.push_back(id);
            c.disconnect();
        }
        return armed;
    }
    uint32_t Pixel(int x, int y) const { return presenter_.Pixel(x, y); }

    platform::TestClock clock_;
    platform::HeadlessInput input_;
    platform::headless::HeadlessPresenter presenter_;
    IMWindow* window_ = nullptr;
};
