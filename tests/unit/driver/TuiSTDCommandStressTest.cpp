// Many starts, stops and removals of the driver channel's monitor loop while
// another thread feeds the driver's stream. Built to run under ThreadSanitizer
// too.
#include "driver/CpiUnit.h"
#include "driver/TuiSTDCommand.h"
#include "support/CycleThread.h"
#include "support/HidWorld.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <random>
#include <set>
#include <thread>

namespace zq::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A block whose bytes count up from its first one, so a torn or mixed-up
// delivery shows.
Bytes CountingBlock(std::uint8_t first, std::size_t size) {
    Bytes block(size);
    for (std::size_t i = 0; i < size; ++i)
        block[i] = static_cast<std::uint8_t>(first + i);
    return block;
}

bool IsCountingBlock(const std::uint8_t* data, std::uint32_t size) {
    for (std::uint32_t i = 1; i < size; ++i)
        if (data[i] != static_cast<std::uint8_t>(data[0] + i))
            return false;
    return true;
}

// Feeds the driver's stream: a few blocks of every kind per cycle.
void FeedSomeBlocks(sim::RecordingDriver& driver, std::minstd_rand& random) {
    const int blocks = static_cast<int>(random() % 6);
    for (int i = 0; i < blocks; ++i) {
        const auto kind = random() % 10;
        if (kind == 0)
            driver.FeedFailure(ERROR_OPERATION_ABORTED_);
        else if (kind == 1)
            driver.FeedBlock({});
        else
            driver.FeedBlock(CountingBlock(static_cast<std::uint8_t>(random()), 1 + random() % 40));
    }
}

TEST(TuiSTDCommandStress, StartsStopsAndRemovalsWhileTheDriverFeedsBlocks) {
    HidWorld hid;
    auto& world = hid.World;
    TuiSTDCommand command(world.Platform());
    world.Loop.AdvanceBy(3000);

    std::mutex lock;
    std::set<std::thread::id> threads;
    std::atomic<int> delivered{0};
    std::atomic<int> torn{0};
    std::atomic<int> afterStop{0};
    std::atomic<bool> stopped{false};
    command.OnDataReceived = [&](const std::uint8_t* data, std::uint32_t size) {
        if (stopped.load())
            ++afterStop;
        if (size == 0 || size > 64 || !IsCountingBlock(data, size))
            ++torn;
        std::lock_guard guard(lock);
        threads.insert(std::this_thread::get_id());
        ++delivered;
    };
    const Bytes init = {1, 2, 3};
    ASSERT_TRUE(command.SetDeviceInitData(init.data(), 3, DriverRequestCode(0x2010),
                                          DriverRequestCode(0x2011), 4, 64));

    CycleThread feeder(4711,
                       [&](std::minstd_rand& random) { FeedSomeBlocks(world.Driver, random); });
    std::size_t mostThreads = 0;
    for (int cycle = 1; cycle <= 300; ++cycle) {
        stopped = false;
        {
            std::lock_guard guard(lock);
            threads.clear();
        }
        command.StartMonitorDevice();
        feeder.Go(cycle);
        if (cycle % 3 == 0)
            feeder.WaitDone(cycle);
        if (cycle % 2 == 0)
            world.Loop.RunUntilQuiet();
        if (cycle % 5 == 0) {
            // A removal ends the workers without waiting for them.
            world.DeviceNotifications.BroadcastInterfaceEvent(DBT_DEVICEREMOVECOMPLETE_,
                                                              HidInterfaceClassGuid);
            world.Loop.RunUntilQuiet();
        }
        command.StopMonitorDevice();
        stopped = true;
        EXPECT_EQ(world.Driver.OpenOverlappedHandles(), 0u);
        feeder.WaitDone(cycle);
        std::lock_guard guard(lock);
        mostThreads = std::max(mostThreads, threads.size());
    }

    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(afterStop.load(), 0);
    EXPECT_LE(mostThreads, 2u);
    EXPECT_GT(delivered.load(), 50);
    EXPECT_TRUE(world.Loop.UnhandledErrors().empty());
    // Each start sent the init data; the removals' restart timer never came due.
    EXPECT_EQ(world.Log.Channel("driver").size(), 300u);
}

} // namespace
} // namespace zq::test
