#include "engine/views/sequence_view.h"
#include "engine/views/state_view.h"
#include "tests/engine/views/picture_fixture.h"

namespace {

using FrameViews = PictureTest;

TEST_F(FrameViews, StatePicturesFallBackToTheNormalOne)
{
    Picture(L"CloseButton", 20, 10);
    IMStateView v;
    v.SetStatePictures(L"CloseButton", L"", L"CloseButtonNuv", L"CloseButtonKlick");
    EXPECT_EQ(v.GetStatePicture(IMStateView::kNormal), L"CloseButton");
    EXPECT_EQ(v.GetStatePicture(IMStateView::kDisabled), L"CloseButton");
    EXPECT_EQ(v.GetStatePicture(IMStateView::kHover), L"CloseButtonNuv");
    EXPECT_EQ(v.GetStatePicture(IMStateView::kPressed), L"CloseButtonKlick");
    EXPECT_EQ(v.GetTextureId(), rm_->FindTexture(L"CloseButton"));
    EXPECT_EQ(v.GetSrcRect().right, 20);

    v.SetStatePictures(L"ExitButton", L"", L"", L"");
    EXPECT_EQ(v.GetStatePicture(IMStateView::kPressed), L"ExitButton");
}

TEST_F(FrameViews, FrameNamesComeFromWideFormatPatterns)
{
    IMSequenceView v;
    v.AddFrames(L"7%1$05d", 0, 9);
    v.AddFrames(L"%1%", 110, 111);
    v.AddFrames(L"7%1$05d", 5, 4);
    ASSERT_EQ(v.GetFrameCount(), 12);
    EXPECT_EQ(v.GetFrameName(3), L"700003");
    EXPECT_EQ(v.GetFrameName(10), L"110");
    EXPECT_EQ(v.GetFrameName(11), L"111");
}

TEST_F(FrameViews, OnlyTheFrameOnShowHoldsATexture)
{
    for (int i = 0; i < 4; ++i)
        Picture(L"70000" + std::to_wstring(i), 8, 8);
    IMSequenceView v;
    v.SetStart(2);
    EXPECT_EQ(v.GetStart(), 0);
    v.AddFrames(L"7%1$05d", 0, 3);
    EXPECT_EQ(Refs(L"700000"), 2);
    EXPECT_EQ(Refs(L"700001"), 1);

    v.SetFrame(3);
    EXPECT_EQ(v.GetFrame(), 3);
    EXPECT_EQ(Refs(L"700000"), 1);
    EXPECT_EQ(Refs(L"700003"), 2);

    v.SetFrame(4);
    v.SetFrame(-1);
    EXPECT_EQ(v.GetFrame(), 3);
    EXPECT_EQ(Refs(L"700003"), 2);
}

TEST_F(FrameViews, RangeEndsClampToTheFrameCount)
{
    IMSequenceView v;
    v.AddFrames(L"f%1%", 0, 3);
    v.SetStart(-3);
    EXPECT_EQ(v.GetStart(), 0);
    v.SetEnd(10);
    EXPECT_EQ(v.GetEnd(), 4);
    v.SetStart(2);
    EXPECT_EQ(v.GetStart(), 2);
}

} // namespace
