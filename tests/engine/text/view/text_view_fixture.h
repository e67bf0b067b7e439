// A started resource manager with the embedded pictures, on the headless presenter, and text views to test.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assets/embedded_assets.h"
#include "engine/resources/resource_manager.h"
#include "engine/text/text_view.h"
#include "platform/headless/headless_presenter.h"

inline bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

class TextViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterEmbeddedAssets();
        IMResourceManager::StartGraphics(false);
        rm_ = IMResourceManager::Instance();
        ASSERT_NE(rm_, nullptr);
    }
    void TearDown() override
    {
        view_.SetText(L"");
        IMResourceManager::StopGraphics();
    }

    // Lays the text out wrapped in a view of the given width.
    void Wrap(const std::wstring& text, LONG width)
    {
        view_.SetRect(RECT { 0, 0, width, 400 });
        view_.wordWrap = true;
        view_.SetText(text);
    }
    // The width of one glyph of ch in the view's current style.
    LONG Width(wchar_t ch)
    {
        IMTextView probe;
        probe.fontSize = view_.fontSize;
        probe.SetText(std::wstring(1, ch));
        return probe.GetSrcRect().right;
    }
    int32_t Refs(DWORD id) const
    {
        const IMTexture* t = rm_->GetTextureRecord(id);
        return t ? t->ref_count : 0;
    }
    std::vector<DWORD> Textures(const IMTextView& view) const
    {
        std::vector<DWORD> ids;
        for (const auto& glyph : view.Glyphs())
            ids.push_back(glyph->texture);
        return ids;
    }

    platform::headless::HeadlessPresenter presenter_;
    IMResourceManager* rm_ = nullptr;
    IMTextView view_;
};
