#include <memory>

#include <boost/bind/bind.hpp>
#include <boost/function.hpp>
#include <gtest/gtest.h>

#include "platform/signals.h"

namespace {

using IntSignal = im::Signal<long(int)>;

struct Receiver : im::Trackable {
    int* hits;
    explicit Receiver(int* h)
        : hits(h)
    {
    }
    long On(int)
    {
        ++*hits;
        return 0;
    }
};

TEST(Signals, SlotConnectedDuringEmissionRunsFromTheNextOne)
{
    IntSignal sig;
    int late = 0;
    sig.connect([&](int) -> long {
        sig.connect([&](int) -> long {
            ++late;
            return 0;
        });
        return 0;
    });
    sig(1);
    EXPECT_EQ(late, 0);
    sig(2);
    EXPECT_EQ(late, 1);
}

TEST(Signals, DroppedHandleKeepsSlotScopedConnectionCutsIt)
{
    IntSignal sig;
    int a = 0, b = 0;
    {
        im::Connection c = sig.connect([&](int) -> long {
            ++a;
            return 0;
        });
    }
    {
        im::ScopedConnection c = sig.connect([&](int) -> long {
            ++b;
            return 0;
        });
    }
    sig(0);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 0);
}

TEST(Signals, BoundMemberOfDeadTrackableIsCut)
{
    IntSignal sig;
    int hits = 0;
    auto r = std::make_unique<Receiver>(&hits);
    sig.connect(boost::bind(&Receiver::On, r.get(), boost::placeholders::_1));
    sig(0);
    r.reset();
    sig(0);
    EXPECT_EQ(hits, 1);
    EXPECT_EQ(sig.num_slots(), 0u);
}

TEST(Signals, SlotMayDisconnectAllDuringEmission)
{
    IntSignal sig;
    int second = 0;
    sig.connect([&](int) -> long {
        sig.disconnect_all_slots();
        return 0;
    });
    sig.connect([&](int) -> long {
        ++second;
        return 0;
    });
    sig(0);
    EXPECT_EQ(second, 0); // a disconnected slot is not called, even in the running emission
    EXPECT_TRUE(sig.empty());
}

} // namespace
