// Glyph and stroke textures through the texture table: sizes, sharing by key, pixels and the pixel copy.
#include "engine/text/glyphs/glyph_path.h"
#include "tests/engine/resources/render/manager_fixture.h"

namespace {

using namespace platform::headless;

constexpr D3DCOLOR kInk = 0xFF072134u;
constexpr D3DCOLOR kBack = 0x00AFAFAFu;
constexpr D3DCOLOR kPaper = 0xFFFFFFFFu;
constexpr D3DCOLOR kRed = 0xFFFF0000u;

class GlyphTexture : public ManagerTest {
protected:
    DWORD Glyph(const std::wstring& key, wchar_t ch, int32_t height, bool underline = false, const RECT* rect = nullptr,
        D3DCOLOR ink = kInk)
    {
        return rm_->RenderGlyphTexture(key, &ch, rect, ink, height, L"Arial", false, false, underline, kBack);
    }
    // The texture's pixel (x, y) as the device holds it now.
    D3DCOLOR Texel(DWORD id, int x, int y)
    {
        IDirect3DTexture9* texture = rm_->GetTextureRecord(id)->texture;
        D3DLOCKED_RECT locked;
        EXPECT_TRUE(SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0)));
        const D3DCOLOR c = reinterpret_cast<const D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch)[x];
        texture->UnlockRect(0);
        return c;
    }
    D3DCOLOR Copied(DWORD id, int x, int y) const
    {
        const IMTexture* t = rm_->GetTextureRecord(id);
        return reinterpret_cast<const D3DCOLOR*>(t->pixel_copy.data() + y * t->pixel_copy_pitch)[x];
    }
    int CountImage(DWORD id, D3DCOLOR colour)
    {
        const RECT r = rm_->GetTextureRecord(id)->image_rect;
        int n = 0;
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x)
                n += Texel(id, x, y) == colour;
        return n;
    }
    int Advance(wchar_t ch, int32_t height)
    {
        IMGlyphPath path(rm_->GetFontCache());
        rm_->GetFont(path, L"Arial", height, false, false, false);
        path.Build(ch);
        return path.Advance();
    }
};

TEST_F(GlyphTexture, GlyphFillsItsAdvanceByTheCellHeightAndAnEmptyOutlineOnlyTheBackground)
{
    const DWORD id = Glyph(L"Ж24", L'Ж', 24);
    const IMTexture* t = rm_->GetTextureRecord(id);
    EXPECT_EQ(t->image_rect.right, Advance(L'Ж', 24));
    EXPECT_EQ(t->image_rect.bottom, 24);
    EXPECT_EQ(t->texture_width, 32);
    EXPECT_GT(CountImage(id, kInk), 20);
    EXPECT_EQ(Copied(id, 1, 10), Texel(id, 1, 10)) << "the pixel copy holds the drawn glyph";

    const DWORD space = Glyph(L"space", L' ', 16);
    EXPECT_EQ(rm_->GetTextureRecord(space)->image_rect.right, Advance(L' ', 16));
    EXPECT_EQ(CountImage(space, kBack), Advance(L' ', 16) * 16) << "background only, advance by cell height";
}

TEST_F(GlyphTexture, UnderlineBandLiesBelowTheBaselineAcrossTheWholeAdvance)
{
    // At 24 pixels the descent is 5: the band runs from a third of a pixel to 2.5 pixels above the bottom.
    const DWORD plain = Glyph(L"plain", L' ', 24);
    const DWORD lined = Glyph(L"lined", L' ', 24, true);
    EXPECT_EQ(rm_->GetFontCache().Count(), 1u) << "underline alone does not make another font";
    EXPECT_EQ(CountImage(plain, kBack), Advance(L' ', 24) * 24);
    for (int x = 0; x < Advance(L' ', 24); ++x) {
        EXPECT_EQ(Texel(lined, x, 22), kInk) << x;
        EXPECT_NEAR(int(Texel(lined, x, 23) >> 24), 170, 2) << x;
        EXPECT_NEAR(int(Texel(lined, x, 21) >> 24), 128, 2) << x;
        EXPECT_EQ(Texel(lined, x, 20), kBack) << x;
    }
}

TEST_F(GlyphTexture, RectangleGivesTheSizeAndAZeroWidthBecomesOnePixel)
{
    const RECT wide { 10, 10, 30, 50 }, zero { 5, 0, 5, 12 };
    const IMTexture* given = rm_->GetTextureRecord(Glyph(L"wide", L'A', 16, false, &wide));
    EXPECT_EQ(given->image_rect.right, 20);
    EXPECT_EQ(given->image_rect.bottom, 40);
    const IMTexture* thin = rm_->GetTextureRecord(Glyph(L"thin", L'A', 16, false, &zero));
    EXPECT_EQ(thin->image_rect.right, 1);
    EXPECT_EQ(thin->image_rect.bottom, 12);
    EXPECT_EQ(thin->texture_width, 1);
}

TEST_F(GlyphTexture, KnownKeyOnlyGainsAReferenceWhateverElseIsAsked)
{
    const DWORD first = Glyph(L"key", L'W', 20);
    const D3DCOLOR sample = Texel(first, 5, 10);
    const DWORD count = rm_->GetTextureCount();
    EXPECT_EQ(Glyph(L"key", L'i', 30, true, nullptr, kRed), first);
    EXPECT_EQ(rm_->GetTextureRecord(first)->ref_count, 2);
    EXPECT_EQ(rm_->GetTextureCount(), count);
    EXPECT_EQ(rm_->GetTextureRecord(first)->image_rect.bottom, 20);
    EXPECT_EQ(Texel(first, 5, 10), sample) << "nothing drawn again";
}

TEST_F(GlyphTexture, GlyphIsMadeAfterMakingRoomAndRegisteredEvenWhenItCannotBeDrawn)
{
    const DWORD other = Picture(L"other", 32, 32);
    SetTextureBudget(TextureBytesInUse());
    const DWORD id = Glyph(L"after eviction", L'Ж', 24);
    EXPECT_EQ(rm_->GetTextureRecord(other)->texture, nullptr);
    EXPECT_GT(CountImage(id, kInk), 20);

    ResetDeviceFaults();
    FailTextureLock(1);
    const DWORD undrawn = Glyph(L"undrawn", L'Ж', 24);
    EXPECT_EQ(CountImage(undrawn, kInk), 0);
    EXPECT_EQ(Glyph(L"undrawn", L'Ж', 24), undrawn);
}

class StrokeTexture : public GlyphTexture {
protected:
    void SetUp() override
    {
        GlyphTexture::SetUp();
        id_ = Picture(L"field", 20, 12, [](int, int) { return kPaper; }); // in a 32 x 16 texture
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x)
                before_.push_back(Texel(id_, x, y));
    }
    // Pixels of the whole texture, padding included, that differ from what it held at the start.
    int Changed()
    {
        int n = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x)
                n += Texel(id_, x, y) != before_[size_t(y * 32 + x)];
        return n;
    }
    DWORD id_ = 0;
    std::vector<D3DCOLOR> before_;
};

TEST_F(StrokeTexture, StrokeIsClippedToThePictureCoincidingEndsDrawNothingAndThePixelCopyStaysClean)
{
    rm_->RenderStrokeTexture(id_, 6, 6, 6, 6);
    EXPECT_EQ(Changed(), 0);
    rm_->RenderStrokeTexture(id_, -30, 5, 100, 5);
    EXPECT_EQ(Changed(), 2 * 20) << "two rows across the picture, none in the padding";
    EXPECT_EQ(Texel(id_, 0, 4), kRed);
    EXPECT_EQ(Texel(id_, 19, 5), kRed);
    EXPECT_EQ(Copied(id_, 10, 5), kPaper);
    rm_->UploadTexturePixels(id_);
    EXPECT_EQ(Changed(), 0);
}

TEST_F(StrokeTexture, ReleasedTextureComesBackBeforeTheStroke)
{
    rm_->ReleaseDeviceTexture(id_);
    rm_->RenderStrokeTexture(id_, 2, 3, 10, 3);
    ASSERT_NE(rm_->GetTextureRecord(id_)->texture, nullptr);
    EXPECT_EQ(Changed(), 2 * 8);
    rm_->RenderStrokeTexture(rm_->GetTextureCount() + 4, 0, 0, 5, 5);
}

} // namespace
