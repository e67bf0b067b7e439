#include <vector>

#include "engine/controls/animation_base.h"
#include "engine/views/sequence_view.h"
#include "platform/testing/test_clock.h"
#include "tests/engine/views/picture_fixture.h"

namespace {

using Animation = IMAnimationBase<IMSequenceView>;

// A ten-frame animation under the test clock that records every frame it shows and every finish.
class AnimationTest : public PictureTest {
protected:
    void SetUp() override
    {
        PictureTest::SetUp();
        anim_.AddFrames(L"f%1%", 0, 9);
        anim_.SetEnd(9);
        Animation::ConnectFinished(&anim_, [this](const IMEvent&) {
            ++finished_;
            return 0L;
        });
    }
    // Advances to ms after the start of the test and runs one update; notes a newly shown frame.
    void At(int64_t ms)
    {
        clock_.Advance(ms - clock_.Milliseconds());
        const int before = anim_.GetFrame();
        anim_.Update();
        if (anim_.GetFrame() != before)
            shown_.push_back(anim_.GetFrame());
    }
    void PlayEvery40ms(bool forward)
    {
        anim_.Play(forward);
        for (int64_t ms = 0; ms <= 440; ms += 40)
            At(ms);
    }

    platform::TestClock clock_;
    Animation anim_ { nullptr };
    std::vector<int> shown_;
    int finished_ = 0;
};

TEST_F(AnimationTest, ForwardRunShowsAFrameEvery40msThenFinishesOnce)
{
    PlayEvery40ms(true);
    EXPECT_EQ(shown_, (std::vector<int> { 1, 2, 3, 4, 5, 6, 7, 8, 9 }));
    EXPECT_EQ(finished_, 1);
    EXPECT_FALSE(anim_.IsPlaying());
    At(2000);
    EXPECT_EQ(finished_, 1);
}

TEST_F(AnimationTest, BackwardRunCountsDownFromTheEnd)
{
    PlayEvery40ms(false);
    EXPECT_EQ(shown_, (std::vector<int> { 9, 8, 7, 6, 5, 4, 3, 2, 1, 0 }));
    EXPECT_EQ(finished_, 1);
}

TEST_F(AnimationTest, FramesFollowTheClockAndSkipWhenUpdatesAreLate)
{
    anim_.Play(true);
    At(39);
    EXPECT_EQ(anim_.GetFrame(), 0);
    At(40);
    At(199);
    EXPECT_EQ(shown_, (std::vector<int> { 1, 4 }));
    EXPECT_EQ(anim_.ElapsedMs(), 199);

    anim_.SetPeriod(5000);
    anim_.Play(true);
    At(199 + 83);
    EXPECT_EQ(anim_.GetFrame(), 0);
    At(199 + 84);
    EXPECT_EQ(anim_.GetFrame(), 1);
    EXPECT_THROW(anim_.SetPeriod(0), std::invalid_argument);
}

TEST_F(AnimationTest, RunsOfOneFrameOrNoneStillFinish)
{
    anim_.SetStart(0);
    anim_.SetEnd(0);
    anim_.Play(true);
    At(40);
    EXPECT_EQ(finished_, 1);

    anim_.SetStart(5);
    anim_.SetEnd(2);
    anim_.Play(true);
    At(41);
    EXPECT_EQ(finished_, 2);
    EXPECT_EQ(anim_.GetFrame(), 0);
}

} // namespace
