#include <boost/bind/bind.hpp>
#include <gtest/gtest.h>

#include "tests/engine/controls/probe.h"

namespace {

using boost::placeholders::_1;

// A control whose member functions are connected to other controls' signals.
class Listener : public Probe {
public:
    using Probe::Probe;
    long OnHeard(const IMMouseEvent&) { return ++heard; }
    long OnKey(const IMKeyboardEvent&) { return ++heard; }
    int heard = 0;
};

class ControlSignals : public ::testing::Test {
protected:
    RECT screen { 0, 0, 800, 600 };
    IMDialog root { nullptr, &screen, 0 };

    Probe* Live(RECT r = Rect(0, 0, 10, 10))
    {
        auto* p = new Probe(&root, r);
        Tick(root);
        return p;
    }
    static void Click(IMControl* c) { c->OnClick(Mouse(IMEV_LCLICK, 0, 0)); }
};

TEST_F(ControlSignals, SlotConnectedDuringAnEmissionFirstRunsAtTheNextOne)
{
    Probe* button = Live();
    int late = 0;
    IMControl::ConnectClick(button, [&](const IMMouseEvent&) {
        IMControl::ConnectClick(button, [&](const IMMouseEvent&) { return long(++late); });
        return 0L;
    });
    Click(button);
    EXPECT_EQ(late, 0);
    Click(button);
    EXPECT_EQ(late, 1);
}

TEST_F(ControlSignals, DroppedConnectionKeepsItsSlotAScopedOneCutsIt)
{
    Probe* button = Live();
    int kept = 0;
    int scoped = 0;
    IMControl::ConnectClick(button, [&](const IMMouseEvent&) { return long(++kept); });
    {
        im::ScopedConnection c = IMControl::ConnectClick(button, [&](const IMMouseEvent&) { return long(++scoped); });
        Click(button);
    }
    Click(button);
    EXPECT_EQ(kept, 2);
    EXPECT_EQ(scoped, 1);
    EXPECT_FALSE(IMControl::ConnectClick(nullptr, [](const IMMouseEvent&) { return 0L; }).connected());
}

TEST_F(ControlSignals, MemberBoundToAControlIsCutWhenThatControlIsDeleted)
{
    Probe* button = Live();
    auto* listener = new Listener(&root, Rect(0, 0, 10, 10));
    Tick(root);
    IMControl::ConnectClick(button, boost::bind(&Listener::OnHeard, listener, _1));
    IMControl::ConnectKeyDown(&root, boost::bind(&Listener::OnKey, listener, _1));
    Click(button);
    EXPECT_EQ(listener->heard, 1);

    listener->Destroy();
    Tick(root);
    // Both slots are gone with the listener: nothing calls into the deleted object.
    Click(button);
    root.OnKeyboard(IMKeyboardEvent(&root, WM_KEYDOWN, VK_ESCAPE));
    int others = 0;
    IMControl::ConnectClick(button, [&](const IMMouseEvent&) { return long(++others); });
    Click(button);
    EXPECT_EQ(others, 1);
}

TEST_F(ControlSignals, ControlDestroyedInItsOwnSignalStopsTheRestAndLivesUntilTheFrame)
{
    Probe* button = Live();
    int deaths = 0;
    button->CountDeathsIn(&deaths);
    int after = 0;
    bool alive_in_slot = false;
    IMControl::ConnectClick(button, [&](const IMMouseEvent& e) {
        e.sender->Destroy();
        alive_in_slot = deaths == 0;
        return 0L;
    });
    IMControl::ConnectClick(button, [&](const IMMouseEvent&) { return long(++after); });
    Click(button);
    EXPECT_TRUE(alive_in_slot);
    EXPECT_EQ(after, 0);
    EXPECT_EQ(deaths, 0);
    EXPECT_TRUE(button->IsClosing());
    Tick(root);
    EXPECT_EQ(deaths, 1);
}

TEST_F(ControlSignals, ControlNotYetJoinedMayDestroyItselfInItsOwnSignal)
{
    auto* fresh = new Probe(&root, Rect(0, 0, 10, 10));
    int deaths = 0;
    fresh->CountDeathsIn(&deaths);
    IMControl::ConnectClick(fresh, [&](const IMMouseEvent& e) {
        e.sender->Destroy();
        return 0L;
    });
    Click(fresh);
    EXPECT_EQ(deaths, 0);
    EXPECT_FALSE(root.IsPending(fresh));
    Tick(root);
    EXPECT_EQ(deaths, 1);
    EXPECT_TRUE(root.LiveChildren().empty());
}

TEST_F(ControlSignals, ControlDestroyedInItsFrameSignalStaysForTheWalkAndGoesAtItsEnd)
{
    Probe* first = Live();
    auto* second = new Probe(&root, Rect(0, 0, 10, 10));
    Tick(root);
    int deaths = 0;
    first->CountDeathsIn(&deaths);
    int second_frames = 0;
    IMControl::ConnectFrame(first, [&](const IMEvent& e) {
        e.sender->Destroy();
        return 0L;
    });
    IMControl::ConnectFrame(second, [&](const IMEvent&) {
        second_frames += deaths == 0;
        return 0L;
    });
    Tick(root);
    EXPECT_EQ(second_frames, 1);
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(root.LiveChildren(), (std::vector<IMControl*> { second }));
}

} // namespace
