// Glyphs of a text view: editing, sharing of glyph textures by key, and restyling.
#include <climits>

#include "platform/testing/device_faults.h"
#include "tests/engine/text/view/text_view_fixture.h"

namespace {

TEST_F(TextViewTest, InsertAndEraseOnlyInsideTheTextAndGiveTexturesBack)
{
    EXPECT_EQ(view_.GetGlyphCount(), 0);
    EXPECT_EQ(view_.GetLines(), std::vector<int32_t> { 0 });
    EXPECT_TRUE(IsRectEmpty(&static_cast<const RECT&>(view_.GetSrcRect())));

    view_.Insert(0, L"ac");
    view_.Insert(1, L"b");
    view_.Insert(3, L"d");
    view_.Insert(5, L"x");
    view_.Insert(-1, L"x");
    EXPECT_EQ(view_.GetText(), L"abcd");
    const DWORD d = view_.Glyphs()[3]->texture;
    view_.Erase(3, 5);
    view_.Erase(-1, 1);
    view_.Erase(4, 1);
    EXPECT_EQ(view_.GetText(), L"abc");
    EXPECT_EQ(rm_->GetTextureRecord(d), nullptr) << "the last holder gave its texture back";
    view_.Erase(1, INT_MAX);
    view_.Erase(0, -3);
    EXPECT_EQ(view_.GetText(), L"a");

    EXPECT_EQ(view_.GetGlyphChar(0), L'a');
    EXPECT_EQ(view_.GetGlyphFace(0), L"Arial");
    EXPECT_EQ(view_.GetGlyphFace(1), L"");
    EXPECT_TRUE(IsRectEmpty(&static_cast<const RECT&>(view_.GetGlyphRect(-1))));
}

TEST_F(TextViewTest, EqualKeysShareOneTextureAcrossViews)
{
    view_.SetText(L"aba");
    EXPECT_EQ(view_.Glyphs()[0]->key,
        L"Ariala16-100011513775"
        L"0");
    EXPECT_EQ(view_.Glyphs()[0]->texture, view_.Glyphs()[2]->texture);
    EXPECT_NE(view_.Glyphs()[0]->texture, view_.Glyphs()[1]->texture);
    const DWORD a = view_.Glyphs()[0]->texture;
    {
        IMTextView other;
        other.SetText(L"a");
        EXPECT_EQ(other.Glyphs()[0]->texture, a);
        EXPECT_EQ(Refs(a), 3);
    }
    EXPECT_EQ(Refs(a), 2);
    view_.SetColor(0xFF072134u);
    EXPECT_EQ(view_.Glyphs()[0]->key, L"Ariala16-16309964000115137750");
    EXPECT_EQ(rm_->GetTextureRecord(a), nullptr) << "restyled glyphs gave the old texture back";
    EXPECT_EQ(view_.GetGlyphColor(2), 0xFF072134u);
}

TEST_F(TextViewTest, SameStyleAgainKeepsTexturesAndLayoutButMarksDirty)
{
    Wrap(L"aa bb", 400);
    view_.SetColor(0xFF000000u);
    const std::vector<DWORD> ids = Textures(view_);
    const int32_t refs = Refs(ids[0]);
    view_.SetRect(RECT { 0, 0, 3 * Width(L'a'), 400 });
    view_.SetDirty(false);

    view_.SetColor(0xFF000000u);
    const bool bold = false;
    view_.SetStyle(nullptr, nullptr, &bold, nullptr, &view_.fontSize, &view_.face, &view_.backColour);
    EXPECT_EQ(Textures(view_), ids);
    EXPECT_EQ(Refs(ids[0]), refs);
    EXPECT_EQ(view_.GetGlyphRect(3).top, 0) << "not laid out again for the narrower view";
    EXPECT_TRUE(view_.IsDirty());

    view_.SetFontSize(24);
    EXPECT_GT(view_.GetGlyphRect(3).top, 0) << "a new size lays out again";
    EXPECT_EQ(view_.GetGlyphRect(0).bottom, 24);
}

TEST_F(TextViewTest, ChangedCharacterTakesItsOwnTexture)
{
    view_.SetText(L"il");
    const LONG narrow = view_.GetSrcRect().right;
    view_.SetChar(0, L'Ш');
    view_.SetChar(2, L'x');
    EXPECT_EQ(view_.GetText(), L"Шl");
    EXPECT_GT(view_.GetSrcRect().right, narrow) << "the wider glyph was laid out";
    EXPECT_EQ(view_.Glyphs()[0]->key.substr(0, 6), L"ArialШ");
}

TEST_F(TextViewTest, WhitespaceMarkersShowOnlyWhileAskedFor)
{
    view_.SetText(L"a b\tc\n");
    std::vector<std::wstring> plain;
    for (const auto& glyph : view_.Glyphs())
        plain.push_back(glyph->key);
    const LONG space = view_.GetGlyphRect(1).right - view_.GetGlyphRect(1).left;
    view_.showWhitespace = true;
    view_.SetStyle(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(view_.GetGlyphRect(1).bottom, 3) << "space marker";
    EXPECT_EQ(view_.GetGlyphRect(3).right - view_.GetGlyphRect(3).left, 10) << "tab marker";
    EXPECT_EQ(view_.GetGlyphRect(5).bottom, 21) << "line-break marker";
    EXPECT_TRUE(view_.Glyphs()[1]->marker);
    EXPECT_EQ(view_.Glyphs()[1]->key.back(), L'1');

    view_.showWhitespace = false;
    view_.SetStyle(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    for (int32_t i = 0; i < view_.GetGlyphCount(); ++i)
        EXPECT_EQ(view_.Glyphs()[size_t(i)]->key, plain[size_t(i)]);
    EXPECT_EQ(view_.GetGlyphRect(1).right - view_.GetGlyphRect(1).left, space);
    EXPECT_EQ(view_.GetGlyphRect(3).right - view_.GetGlyphRect(3).left, space) << "a tab is as wide as a space";
    EXPECT_EQ(view_.GetGlyphRect(5).right - view_.GetGlyphRect(5).left, 1) << "an empty line break";
}

TEST_F(TextViewTest, GlyphWithoutATextureNeverGivesBackAnotherViewsReference)
{
    platform::headless::SetTextureBudget(0);
    view_.SetText(L"Ж");
    EXPECT_EQ(view_.Glyphs()[0]->texture, IMResourceManager::kNoTexture);
    EXPECT_EQ(view_.GetSrcRect().right, 0);
    platform::headless::ResetDeviceFaults();
    IMTextView other;
    other.SetText(L"Ж");
    view_.SetText(L"");
    EXPECT_EQ(Refs(other.Glyphs()[0]->texture), 1);
}

} // namespace
