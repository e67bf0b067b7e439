// The main window on the headless back end and presenter, under a test clock that each idle pass moves by 1 ms.
#pragma once

#include <vector>

#include <gtest/gtest.h>

#include "engine/resources/resource_manager.h"
#include "engine/views/view_control.h"
#include "engine/window/window.h"
#include "platform/headless/headless_input.h"
#include "platform/headless/headless_presenter.h"
#include "platform/testing/device_faults.h"
#include "platform/testing/test_clock.h"

constexpr D3DCOLOR kRed = 0xFFFF0000u;
constexpr D3DCOLOR kBlack = 0xFF000000u;

// A red rectangle; it notes whether the graphics still ran when it died.
class Tile : public IMViewControl<IMEmptyView> {
public:
    Tile(Dialog* parent, const RECT& rect)
        : IMViewControl<IMEmptyView>(parent)
    {
        SetRect(rect);
    }
    ~Tile() override { manager_at_death = IMResourceManager::Instance() != nullptr; }
    void Draw() override
    {
        IMResourceManager* rm = IMResourceManager::Instance();
        DWORD id = rm->FindTexture(L"white");
        if (id == rm->GetTextureCount()) {
            id = rm->CreateFrameTexture(L"white", 1, 1, D3DFMT_A8R8G8B8);
            rm->WriteTexturePixels(id, [](BYTE* p, int, int) { *reinterpret_cast<uint32_t*>(p) = 0xFFFFFFFFu; });
            rm->BackupTexturePixels(id);
        }
        rm->DrawQuad(id, GetRect(), nullptr, kRed, 0.0f);
        SetDirty(false);
    }
    static inline bool manager_at_death = false;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { window_ = Create(); }
    void TearDown() override { delete window_; }

    static IMWindow* Create()
    {
        const RECT rect { 0, 0, 800, 600 };
        return IMWindow::Create(nullptr, &rect, L"Лабиринт", false, nullptr);
    }
    // Runs the loop for ms of test time.
    void RunFor(DWORD ms)
    {
        input_.QuitAfter(ms);
        EXPECT_EQ(IMWindow::Run(window_), 0);
    }
    // A slot that appends the kind of each event it receives.
    static auto Record(std::vector<DWORD>* kinds)
    {
        return [kinds](const auto& ev) -> long { return kinds->push_back(ev.kind), 0; };
    }
    static DWORD Frames() { return IMResourceManager::Instance()->GetFrameCount(); }

    platform::TestClock clock_;
    platform::HeadlessInput input_;
    platform::headless::HeadlessPresenter presenter_;
    IMWindow* window_ = nullptr;
};
