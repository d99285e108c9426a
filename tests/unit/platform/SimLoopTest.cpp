#include "platform/sim/SimLoop.h"
#include "platform/Timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace zq::sim {
namespace {

TEST(SimLoop, PostedWorkRunsInOrderOnlyWhenPumped) {
    SimLoop loop;
    std::vector<int> order;
    loop.Post([&] { order.push_back(1); });
    loop.Post([&] {
        order.push_back(2);
        loop.Post([&] { order.push_back(4); });
    });
    loop.Post([&] { order.push_back(3); });
    EXPECT_TRUE(order.empty());
    loop.ProcessMessages();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
}

TEST(SimLoop, SleepMovesTheClockAndHandlesNothing) {
    SimLoop loop;
    Timer timer(loop, 10, true);
    int fired = 0;
    timer.OnTimer = [&] { ++fired; };
    bool ran = false;
    loop.Post([&] { ran = true; });
    loop.Sleep(50);
    EXPECT_EQ(loop.NowMs(), 50u);
    EXPECT_FALSE(ran);
    EXPECT_EQ(fired, 0);
    loop.ProcessMessages();
    EXPECT_TRUE(ran);
    EXPECT_EQ(fired, 1); // a late timer fires once, not once per missed interval
}

TEST(SimLoop, TimerFiresAtItsIntervalAndRestartsWhenReEnabled) {
    SimLoop loop;
    Timer timer(loop, 1500, false);
    std::vector<std::uint64_t> firedAt;
    timer.OnTimer = [&] {
        timer.SetEnabled(false);
        firedAt.push_back(loop.NowMs());
    };
    // Three restarts 500 ms apart: one firing, 1500 ms after the last.
    for (int i = 0; i < 3; ++i) {
        timer.SetEnabled(false);
        timer.SetEnabled(true);
        loop.AdvanceBy(500);
    }
    loop.AdvanceBy(5000);
    EXPECT_EQ(firedAt, (std::vector<std::uint64_t>{2500}));
}

TEST(SimLoop, EnablingAnEnabledTimerDoesNotRestartIt) {
    SimLoop loop;
    Timer timer(loop, 100, true);
    std::vector<std::uint64_t> firedAt;
    timer.OnTimer = [&] { firedAt.push_back(loop.NowMs()); };
    loop.AdvanceBy(60);
    timer.SetEnabled(true);
    loop.AdvanceBy(60);
    EXPECT_EQ(firedAt, (std::vector<std::uint64_t>{100}));
}

TEST(SimLoop, TimersDueTogetherFireInTheOrderTheyWereStarted) {
    SimLoop loop;
    std::string order;
    Timer a(loop, 100, false), b(loop, 100, false);
    a.OnTimer = [&] {
        order += 'a';
        a.SetEnabled(false);
    };
    b.OnTimer = [&] {
        order += 'b';
        b.SetEnabled(false);
    };
    b.SetEnabled(true);
    a.SetEnabled(true);
    loop.AdvanceBy(100);
    EXPECT_EQ(order, "ba");
}

TEST(SimLoop, NestedPumpsHandleLaterWorkInsideAHandler) {
    SimLoop loop;
    std::vector<std::string> trace;
    loop.Post([&] {
        trace.push_back("outer begin");
        loop.Post([&] { trace.push_back("inner"); });
        loop.ProcessMessages();
        loop.Sleep(10);
        trace.push_back("outer end");
    });
    loop.ProcessMessages();
    EXPECT_EQ(trace, (std::vector<std::string>{"outer begin", "inner", "outer end"}));
}

TEST(SimLoop, SynchronizeRunsOnTheMainThreadAndWaits) {
    SimLoop loop;
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> returned{false};
    std::thread::id ranOn;
    loop.BeginActivity();
    std::thread worker([&] {
        EXPECT_TRUE(loop.Synchronize([&] { ranOn = std::this_thread::get_id(); }));
        returned = true;
        loop.EndActivity();
    });
    loop.RunUntilQuiet();
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(ranOn, mainThread);
}

TEST(SimLoop, CancelledOrTerminatedSynchronizeReturnsWithoutRunning) {
    SimLoop loop;
    auto token = std::make_shared<SyncCancel>();
    std::atomic<int> results{0};
    bool ran = false;
    std::thread worker([&] {
        if (!loop.Synchronize([&] { ran = true; }, token))
            ++results;
    });
    // Withdraw the call once it is queued, without pumping.
    while (!loop.HasQueuedWork())
        std::this_thread::yield();
    loop.CancelSynchronize(token);
    worker.join();
    loop.ProcessMessages();
    EXPECT_FALSE(ran);
    EXPECT_FALSE(loop.Synchronize([&] { ran = true; }, token)); // a cancelled token stays so
    loop.Terminate();
    std::thread late([&] {
        if (!loop.Synchronize([&] { ran = true; }))
            ++results;
    });
    late.join();
    EXPECT_EQ(results, 2);
    EXPECT_FALSE(ran);
}

TEST(SimLoop, ErrorsInHandlersAreKeptAndTheLoopGoesOn) {
    SimLoop loop;
    bool after = false;
    loop.Post([] { throw std::runtime_error("handler failed"); });
    loop.Post([&] { after = true; });
    loop.ProcessMessages();
    EXPECT_TRUE(after);
    EXPECT_EQ(loop.UnhandledErrors(), (std::vector<std::string>{"handler failed"}));
}

TEST(SimLoop, RunEndsAtTerminateAfterTheCurrentMessage) {
    SimLoop loop;
    Timer timer(loop, 1000, true);
    int fired = 0;
    timer.OnTimer = [&] {
        if (++fired == 3)
            loop.Terminate();
    };
    loop.Run();
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(loop.NowMs(), 3000u);
}

} // namespace
} // namespace zq::sim
