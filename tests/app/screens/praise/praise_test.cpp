#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/screens/praise.h"
#include "engine/controls/animation_base.h"
#include "engine/controls/picture_factories.h"
#include "engine/resources/resource_manager.h"
#include "engine/views/theora_view.h"
#include "platform/resources/resources.h"
#include "tests/app/screens/screen_run.h"

namespace {

using IMDialog = IMDialogBase<IMEmptyView>;
using Clip = IMAnimationBase<IMTheoraView>;
using Picture = IMStaticPictureBase<IMTextureView>;

// The praise over a stand-in scene: the maze picture in a full-screen dialog, as the game shows it.
class PraiseTest : public testing::Test {
protected:
    void SetUp() override
    {
        scene_ = NewScene();
        run_.RunFor(2);
    }

    IMDialog* NewScene()
    {
        auto* scene = new IMDialog(run_.Window(), nullptr, 0);
        CreatePicture(scene, 0, 0, L"180");
        IMControl::ConnectClosing(scene, [this](const IMEvent&) -> long {
            ++scenes_closed_;
            return 0;
        });
        return scene;
    }
    bool Alive(const IMDialog* dialog) const
    {
        for (IMControl* child : run_.Window()->LiveChildren())
            if (child == dialog)
                return true;
        return false;
    }
    // Runs until the pop-up has gone from the window, for at most ten seconds of the test clock.
    bool RunUntilGone(const IMDialog* popup)
    {
        return run_.RunUntil([&] { return !Alive(popup); }, 10'000);
    }
    static Clip* ClipOf(const IMDialog* popup)
    {
        const auto clips = ChildrenOf<Clip>(popup);
        return clips.empty() ? nullptr : clips.front();
    }
    ScreenRun run_;
    IMDialog* scene_ = nullptr;
    int scenes_closed_ = 0;
};

TEST_F(PraiseTest, IndexCoversTheGeneratorsRangeInFiveEqualParts)
{
    const std::vector<std::pair<int, int>> edges { { 0, 0 }, { 6553, 0 }, { 6554, 1 }, { 13107, 1 }, { 13108, 2 },
        { 19660, 2 }, { 19661, 3 }, { 26214, 3 }, { 26215, 4 }, { 32767, 4 } };
    for (const auto& [r, index] : edges)
        EXPECT_EQ(PraiseIndex(r), index) << r;
    EXPECT_EQ(PraiseIndex(32768 * 10), 4) << "a value beyond the range never leaves the table";
    EXPECT_EQ(PraiseIndex(-1), 0);
}

// Every pair is reachable and plays whole; without a scene a praise closes only itself, and it gives back the cloud
// and the clip's frame textures.
TEST_F(PraiseTest, EveryPairPlaysAndRepeatedPraisesHoldNoTextures)
{
    IMResourceManager* rm = IMResourceManager::Instance();
    DWORD after_first = 0;
    for (int i = 0; i < 10; ++i) {
        const int index = i % 5;
        IMDialog* popup = ShowPraisePopup(run_.Window(), 137, 100, index, nullptr);
        run_.RunFor(200);
        Clip* clip = ClipOf(popup);
        ASSERT_NE(clip, nullptr);
        EXPECT_TRUE(clip->IsPlaying() && clip->GetFrame() > 0) << kPraisePairs[index].clip;
        EXPECT_TRUE(WordPlays(kPraisePairs[index].word)) << kPraisePairs[index].word;
        const int64_t shown = run_.clock.Milliseconds() - 200;
        ASSERT_TRUE(RunUntilGone(popup));
        const int64_t lasted = run_.clock.Milliseconds() - shown;
        EXPECT_GE(lasted, 2400) << "clip " << kPraisePairs[index].clip << " plays whole";
        EXPECT_LE(lasted, 3300) << "clip " << kPraisePairs[index].clip;
        run_.RunFor(2);
        if (i == 0)
            after_first = rm->GetTextureCount();
        EXPECT_EQ(rm->GetTextureCount(), after_first) << "after praise " << i + 1;
        EXPECT_EQ(rm->FindTexture(L"oblako_png"), rm->GetTextureCount()) << "the cloud went with its picture";
    }
    EXPECT_EQ(scenes_closed_, 0);
    EXPECT_TRUE(Alive(scene_));
}

// A praise belongs to its scene: closing that scene takes the praise along, and its clip never reaches a later one.
TEST_F(PraiseTest, PraiseDiesWithItsSceneAndNeverEndsALaterOne)
{
    IMDialog* popup = ShowPraisePopup(run_.Window(), 137, 100, 1, scene_);
    run_.RunFor(300);
    scene_->Close();
    IMDialog* later = NewScene();
    run_.RunFor(2);
    EXPECT_FALSE(Alive(popup));
    run_.RunFor(4000);
    EXPECT_TRUE(Alive(later));
    EXPECT_EQ(scenes_closed_, 1);
}

TEST_F(PraiseTest, ExitVariantKeepsItsExitPictureAfterTheClipAndClosesItsTarget)
{
    IMDialog* popup = ShowPraisePopupWithExit(run_.Window(), 4, scene_);
    run_.RunFor(100);
    const auto pictures = ChildrenOf<Picture>(popup);
    ASSERT_EQ(pictures.size(), 2u);
    Picture* exit = pictures.back();
    EXPECT_EQ(pictures.front()->GetRect().left, 137);
    const RECT r = exit->GetRect();
    EXPECT_EQ(r.left, 740);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right, 780);
    EXPECT_EQ(r.bottom, 50);
    EXPECT_EQ(popup->FindLayer(exit), 901);

    ASSERT_TRUE(run_.RunUntil([&] { return ClipOf(popup) == nullptr; }, 10'000));
    EXPECT_EQ(ChildrenOf<Picture>(popup), std::vector<Picture*> { exit }) << "the cloud went with the clip";
    EXPECT_FALSE(exit->IsHidden());
    EXPECT_EQ(scenes_closed_, 0);

    run_.input.MoveTo(760, 30);
    run_.input.Click();
    run_.RunFor(5);
    EXPECT_EQ(scenes_closed_, 1);
    EXPECT_FALSE(Alive(popup));
}

} // namespace
