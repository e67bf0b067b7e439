#include <numbers>

#include "engine/views/texture_view.h"
#include "tests/engine/views/picture_fixture.h"

namespace {

using TextureView = PictureTest;

// 8 x 8, opaque in its left half.
constexpr RECT kLeftHalf { 0, 0, 4, 8 };

TEST_F(TextureView, HitOnlyOnOpaqueTexelsOfAFullyOpaqueTintAtAnyScale)
{
    Picture(L"half", 8, 8, kLeftHalf);
    IMTextureView v;
    v.SetTexture(L"half");
    v.SetRect(RECT { 10, 10, 18, 18 });
    EXPECT_TRUE(v.HitTest(POINT { 11, 12 }));
    EXPECT_FALSE(v.HitTest(POINT { 15, 12 }));
    EXPECT_FALSE(v.HitTest(POINT { 18, 12 }));

    v.SetRect(RECT { 10, 10, 42, 42 });
    EXPECT_TRUE(v.HitTest(POINT { 25, 40 }));
    EXPECT_FALSE(v.HitTest(POINT { 26, 40 }));

    v.SetColor(0x80FFFFFFu);
    EXPECT_FALSE(v.HitTest(POINT { 20, 20 }));
    v.SetHitThreshold(0);
    EXPECT_TRUE(v.HitTest(POINT { 20, 20 }));
}

TEST_F(TextureView, RotatedPictureIsHitWhereItIsDrawn)
{
    Picture(L"bar", 40, 10);
    IMTextureView v;
    v.SetTexture(L"bar");
    v.SetRect(RECT { 0, 10, 40, 20 });
    v.SetAngle(std::numbers::pi_v<float> / 2);
    EXPECT_TRUE(v.HitTest(POINT { 20, 30 }));
    EXPECT_TRUE(v.HitTest(POINT { 18, -3 }));
    EXPECT_FALSE(v.HitTest(POINT { 5, 15 }));
    EXPECT_FALSE(v.HitTest(POINT { 35, 15 }));
}

TEST_F(TextureView, SourceRectangleAwayFromTheCornerTestsItsOwnTexels)
{
    Picture(L"half", 8, 8, kLeftHalf);
    IMTextureView v;
    v.SetTexture(L"half");
    v.SetSrcRect(RECT { 2, 0, 6, 8 });
    v.SetRect(RECT { 0, 0, 4, 8 });
    EXPECT_TRUE(v.HitTest(POINT { 0, 4 }));
    EXPECT_TRUE(v.HitTest(POINT { 1, 4 }));
    EXPECT_FALSE(v.HitTest(POINT { 2, 4 }));
    EXPECT_FALSE(v.HitTest(POINT { 3, 4 }));
}

TEST_F(TextureView, HoldsOneReferenceToThePictureItShows)
{
    const DWORD a = Picture(L"a", 6, 4);
    Picture(L"b", 3, 5);
    {
        IMTextureView v;
        EXPECT_FALSE(v.HitTest(POINT { 0, 0 }));
        v.SetTexture(L"a");
        EXPECT_EQ(Refs(L"a"), 2);
        const RECT src = v.GetSrcRect();
        EXPECT_EQ(src.right, 6);
        EXPECT_EQ(src.bottom, 4);

        v.SetDirty(false);
        v.SetTexture(L"a");
        EXPECT_EQ(Refs(L"a"), 2);
        EXPECT_FALSE(v.IsDirty());

        v.SetTexture(L"b");
        EXPECT_EQ(Refs(L"a"), 1);
        EXPECT_EQ(Refs(L"b"), 2);
        EXPECT_EQ(v.GetSrcRect().bottom, 5);

        v.SetTextureId(a);
        EXPECT_EQ(v.GetTextureId(), a);
        EXPECT_EQ(Refs(L"a"), 2);
        EXPECT_EQ(Refs(L"b"), 1);
    }
    EXPECT_EQ(Refs(L"a"), 1);
    EXPECT_EQ(Refs(L"b"), 1);
}

TEST_F(TextureView, PictureTheTableCannotLoadShowsNothingAndIsNeverHit)
{
    Picture(L"a", 4, 4);
    IMTextureView v;
    v.SetTexture(L"a");
    v.SetRect(RECT { 0, 0, 4, 4 });
    v.SetTexture(L"no such picture");
    EXPECT_FALSE(v.HasTexture());
    EXPECT_EQ(Refs(L"a"), 1);
    EXPECT_FALSE(v.HitTest(POINT { 1, 1 }));
    v.SetTextureId(rm_->GetTextureCount() + 5);
    EXPECT_FALSE(v.HasTexture());
}

TEST_F(TextureView, DrawsItsPictureTintedIntoItsRectangle)
{
    Picture(L"white", 4, 4, 0xFFFFFFu);
    IMTextureView v;
    v.SetTexture(L"white");
    v.SetRect(RECT { 10, 10, 18, 18 });
    v.SetColor(0xFF808080u);
    rm_->GetDevice()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    v.Draw();
    EXPECT_FALSE(v.IsDirty());
    rm_->GetDevice()->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(presenter_.Pixel(14, 14) & 0xFFFFFFu, 0x808080u);
    EXPECT_EQ(presenter_.Pixel(19, 14) & 0xFFFFFFu, 0u);
}

} // namespace
