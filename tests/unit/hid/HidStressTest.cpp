// Many stops and starts of the readers while reports are in flight and the
// mice come and go on another thread. Built to run under ThreadSanitizer too.
#include "hid/TuiHIDData.h"
#include "support/CycleThread.h"
#include "support/HidWorld.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <random>
#include <thread>

namespace zq::test {
namespace {

// Reports in flight on both mice and the mice coming and going, per cycle.
void Chaos(sim::SimMouse& a, sim::SimMouse& b, std::minstd_rand& random) {
    const int reports = static_cast<int>(random() % 4);
    for (int i = 0; i < reports; ++i) {
        a.SendButtonReport(1u << i);
        b.SendStatusReport(2, static_cast<std::uint8_t>(i));
    }
    if (random() % 4 == 0) {
        a.Unplug();
        a.SendButtonReport(1); // lost with the device
        a.Plug();
    }
    if (random() % 7 == 0) {
        std::this_thread::yield();
        b.Unplug();
        b.Plug();
    }
}

TEST(HidStress, ThousandStopStartCyclesWithReportsInFlightAndRemovals) {
    HidWorld hid;
    auto& world = hid.World;
    auto second = sim::SimMouseConfig::Default();
    second.ProductId = 0x0C02;
    auto& a = world.Hid.AddMouse();
    auto& b = world.Hid.AddMouse(second);
    TuiHIDData data(world.Platform());

    std::atomic<bool> stopped{true};
    std::atomic<int> delivered{0}, late{0}, removals{0};
    data.OnData = [&](const std::u16string&, const std::u16string&, std::uint8_t,
                      const std::uint8_t*, std::uint16_t size) {
        if (stopped.load())
            ++late;
        if (size == 7)
            ++delivered;
    };
    data.OnDeviceNotConnected = [&](const std::u16string&, const std::u16string&) { ++removals; };

    {
        CycleThread chaos(20240, [&](std::minstd_rand& random) { Chaos(a, b, random); });
        for (int cycle = 0; cycle < 1000; ++cycle) {
            data.SetFastOnData(cycle % 5 == 4);
            stopped = false;
            data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
            ASSERT_EQ(data.ReaderCount(), 2u);
            chaos.Go(cycle);
            if (cycle % 3 != 0)
                world.Loop.ProcessMessages(); // deliveries while the chaos goes on
            data.HidStopRead();
            stopped = true;
            ASSERT_EQ(data.ReaderCount(), 0u);
            ASSERT_EQ(world.Hid.OpenHandleCount(), 0u);
            chaos.WaitDone(cycle);
            world.Loop.ProcessMessages(); // whatever is left must not be a delivery
            ASSERT_EQ(late.load(), 0) << "cycle " << cycle;
        }
    }
    EXPECT_GT(delivered.load(), 0);
    EXPECT_EQ(world.Log.Channel("debug").size(), static_cast<std::size_t>(removals.load()));
    EXPECT_TRUE(world.Loop.UnhandledErrors().empty());
}

} // namespace
} // namespace zq::test
