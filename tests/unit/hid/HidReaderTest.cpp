// Input-report readers over the simulated mouse: delivery on the main thread,
// removal, stopping (also of a reader waiting for the main thread), and the
// button usages parsed from the reports.
#include "hid/ButtonUsages.h"
#include "hid/TuiHIDData.h"
#include "support/HidWorld.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace zq::test {
namespace {

using sim::SimMouseCollection;
using sim::SimMouseConfig;
using sim::SimVendorCollection;

struct Report {
    std::u16string DeviceId;
    std::u16string Path;
    std::uint8_t ReportId;
    std::vector<std::uint8_t> Data;
    std::thread::id Thread;
};

class HidReaderTest : public ::testing::Test {
protected:
    HidReaderTest() {
        Data.OnData = [this](const std::u16string& id, const std::u16string& path,
                             std::uint8_t reportId, const std::uint8_t* bytes, std::uint16_t size) {
            std::lock_guard lock(Lock);
            Reports.push_back({id, path, reportId, std::vector<std::uint8_t>(bytes, bytes + size),
                               std::this_thread::get_id()});
        };
    }

    std::vector<Report> Received() {
        std::lock_guard lock(Lock);
        return Reports;
    }

    HidWorld Hid;
    sim::SimWorld& World = Hid.World;
    sim::SimMouse& Mouse = World.Hid.AddMouse();
    TuiHIDData Data{World.Platform()};
    std::mutex Lock;
    std::vector<Report> Reports;
};

TEST_F(HidReaderTest, ReportsReachOnDataOnTheMainThreadInOrder) {
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    Mouse.SendButtonReport(0x000004);
    Mouse.SendStatusReport(2, 3);
    EXPECT_TRUE(Received().empty()); // nothing runs before the loop does
    World.Loop.RunUntilQuiet();
    const auto got = Received();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].ReportId, 7);
    EXPECT_EQ(got[0].Data, (std::vector<std::uint8_t>{4, 0, 0, 0, 0, 0, 0})); // Size 7
    EXPECT_EQ(got[0].DeviceId, u"HID\\VID_7A51&PID_0C01&REV_0100&MI_01&Col02");
    EXPECT_EQ(got[0].Path, Mouse.Path(SimVendorCollection));
    EXPECT_EQ(got[0].Thread, std::this_thread::get_id());
    EXPECT_EQ(got[1].ReportId, 8);
    EXPECT_EQ(got[1].Data, (std::vector<std::uint8_t>{2, 3, 0, 0, 0, 0, 0}));
}

TEST_F(HidReaderTest, EmptyAndFailedReadsDeliverNothingAndReadingGoesOn) {
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    Mouse.SendInputReport(std::vector<std::uint8_t>{});
    Mouse.FailNextRead(SimVendorCollection, HidError::GenFailure);
    const std::uint8_t shortReport[] = {9, 1};
    Mouse.SendInputReport(shortReport);
    World.Loop.RunUntilQuiet();
    const auto got = Received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].ReportId, 9);
    EXPECT_EQ(got[0].Data, (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(Data.ReaderCount(), 1u);
}

TEST_F(HidReaderTest, FastOnDataDeliversOnTheReaderThread) {
    Data.SetFastOnData(true);
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    Mouse.SendButtonReport(1);
    World.Loop.RunUntilQuiet();
    const auto got = Received();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_NE(got[0].Thread, std::this_thread::get_id());
}

TEST_F(HidReaderTest, RemovalEndsTheReaderWithOneNoticeAndOneDebugLine) {
    std::vector<std::pair<std::u16string, std::u16string>> notices;
    std::thread::id noticeThread;
    Data.OnDeviceNotConnected = [&](const std::u16string& id, const std::u16string& path) {
        notices.emplace_back(id, path);
        noticeThread = std::this_thread::get_id();
    };
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    World.Loop.RunUntilQuiet(); // the reader waits on its read
    Mouse.Unplug();
    World.Loop.RunUntilQuiet();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].first, u"HID\\VID_7A51&PID_0C01&REV_0100&MI_01&Col02");
    EXPECT_EQ(notices[0].second, Mouse.Path(SimVendorCollection));
    EXPECT_NE(noticeThread, std::this_thread::get_id());
    EXPECT_EQ(World.Log.Channel("debug"),
              (std::vector<std::string>{"ERROR_DEVICE_NOT_CONNECTED++++++++++++++++"}));
    EXPECT_EQ(Data.ReaderCount(), 0u);
    EXPECT_EQ(Mouse.OpenHandles(), 0u);

    // Plugged in again: nothing happens until reading is started anew.
    Mouse.Plug();
    Mouse.SendButtonReport(1);
    World.Loop.RunUntilQuiet();
    EXPECT_TRUE(Received().empty());
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    Mouse.SendButtonReport(1);
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(Received().size(), 1u);
    EXPECT_EQ(notices.size(), 1u);
}

TEST(HidReader, AnAbortedOrAccessDeniedReadEndsTheReaderLikeARemoval) {
    // Some class drivers complete the read pending at removal with "access denied".
    for (const std::uint32_t error : {HidError::OperationAborted, HidError::AccessDenied}) {
        HidWorld hid;
        auto& mouse = hid.World.Hid.AddMouse();
        TuiHIDData data(hid.World.Platform());
        data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
        mouse.FailNextRead(SimVendorCollection, error);
        hid.World.Loop.RunUntilQuiet();
        // No handler assigned: the line only.
        EXPECT_EQ(hid.World.Log.Channel("debug").size(), 1u) << error;
        EXPECT_EQ(data.ReaderCount(), 0u) << error;
        EXPECT_EQ(mouse.OpenHandles(), 0u) << error;
    }
}

TEST_F(HidReaderTest, AReaderWhoseNextReadCannotStartForAGoneDeviceEndsAtOnce) {
    // The mouse goes away while its report is handled: the next read cannot start.
    Data.OnData = [this](const std::u16string&, const std::u16string&, std::uint8_t,
                         const std::uint8_t*, std::uint16_t) { Mouse.Unplug(); };
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    Mouse.SendButtonReport(1);
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(Data.ReaderCount(), 0u);
    EXPECT_EQ(Mouse.OpenHandles(), 0u);
    EXPECT_TRUE(World.Log.Channel("debug").empty()); // no read was under way: silently
}

TEST_F(HidReaderTest, StopThenStartLeavesExactlyTheNewReaders) {
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    Data.HidStopRead();
    EXPECT_EQ(Data.ReaderCount(), 0u);
    EXPECT_EQ(Mouse.OpenHandles(), 0u);
    Mouse.SendButtonReport(1);
    World.Loop.RunUntilQuiet();
    EXPECT_TRUE(Received().empty());

    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*"); // one reader per interface
    EXPECT_EQ(Data.ReaderCount(), 1u);
    Data.HidStopRead();
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    Mouse.SendButtonReport(2);
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(Received().size(), 1u);
    EXPECT_TRUE(World.Log.Channel("debug").empty());
}

TEST_F(HidReaderTest, StopReachesAReaderWaitingForTheMainThread) {
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    Mouse.SendButtonReport(1);
    // The reader has read the report and waits in Synchronize; the main thread
    // stops reading instead of serving it.
    ASSERT_TRUE(WaitUntil([&] { return World.Loop.HasQueuedWork(); }));
    Data.HidStopRead();
    EXPECT_EQ(Data.ReaderCount(), 0u);
    World.Loop.RunUntilQuiet();
    EXPECT_TRUE(Received().empty());

    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    Mouse.SendButtonReport(2);
    World.Loop.RunUntilQuiet();
    ASSERT_EQ(Received().size(), 1u);
    EXPECT_EQ(Received()[0].Data[0], 2);
}

TEST_F(HidReaderTest, StopFromInsideADeliveryEndsThatReaderToo) {
    int calls = 0;
    Data.OnData = [&](const std::u16string&, const std::u16string&, std::uint8_t,
                      const std::uint8_t*, std::uint16_t) {
        ++calls;
        Data.HidStopRead();
    };
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    Mouse.SendButtonReport(1);
    Mouse.SendButtonReport(2);
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(WaitUntil([&] { return Data.ReaderCount() == 0; }));
    EXPECT_TRUE(WaitUntil([&] { return Mouse.OpenHandles() == 0; }));
}

TEST_F(HidReaderTest, AStopFromAReadersOwnThreadEndsEveryReaderAndReadingStartsAgain) {
    sim::SimMouse& other = World.Hid.AddMouse();
    std::atomic<int> notices = 0;
    Data.OnDeviceNotConnected = [&](const std::u16string&, const std::u16string&) {
        ++notices;
        Data.HidStopRead(); // on the removed mouse's reader thread
    };
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    World.Loop.RunUntilQuiet();
    ASSERT_EQ(Data.ReaderCount(), 2u);
    Mouse.Unplug();
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(WaitUntil([&] { return Data.ReaderCount() == 0; }));
    EXPECT_TRUE(WaitUntil([&] { return other.OpenHandles() == 0; }));
    other.SendButtonReport(1);
    World.Loop.RunUntilQuiet();
    EXPECT_TRUE(Received().empty());

    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    other.SendButtonReport(1);
    World.Loop.RunUntilQuiet();
    ASSERT_EQ(Received().size(), 1u);
    EXPECT_EQ(Received()[0].Path, other.Path(SimVendorCollection));
}

TEST_F(HidReaderTest, HandlerErrorsGoToTheLoopAndReadingGoesOn) {
    int calls = 0;
    Data.OnData = [&](const std::u16string&, const std::u16string&, std::uint8_t,
                      const std::uint8_t*, std::uint16_t) {
        ++calls;
        throw std::runtime_error("handler failed");
    };
    Data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    Mouse.SendButtonReport(1);
    World.Loop.RunUntilQuiet();
    Data.SetFastOnData(true);
    Mouse.SendButtonReport(1);
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(World.Loop.UnhandledErrors(),
              (std::vector<std::string>{"handler failed", "handler failed"}));
    EXPECT_EQ(Data.ReaderCount(), 1u);
}

TEST(HidReader, ACollectionWithoutInputLengthIsNeverReadButStops) {
    HidWorld hid;
    auto config = SimMouseConfig::Default();
    config.Collections[SimVendorCollection].InputReportByteLength = 0;
    auto& mouse = hid.World.Hid.AddMouse(config);
    TuiHIDData data(hid.World.Platform());
    int calls = 0;
    data.OnData = [&](const std::u16string&, const std::u16string&, std::uint8_t,
                      const std::uint8_t*, std::uint16_t) { ++calls; };
    data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    EXPECT_EQ(data.ReaderCount(), 1u);
    mouse.SendButtonReport(1);
    hid.World.Loop.RunUntilQuiet();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(data.ReaderCount(), 1u); // idle until stopped
    data.HidStopRead();
    EXPECT_EQ(mouse.OpenHandles(), 0u);
}

// The same reader over the system mouse collection, whose reports carry buttons.
class ButtonUsageTest : public HidReaderTest {
protected:
    void Press(std::uint8_t mask) {
        const std::uint8_t report[5] = {0, mask, 0, 0, 0};
        Mouse.SendInputReport(SimMouseCollection, report);
        World.Loop.RunUntilQuiet();
    }
    std::vector<std::string> Trace;
};

TEST_F(ButtonUsageTest, ReleasesWinOverPressesAndNothingNewGivesZero) {
    Data.OnData = [&](const std::u16string&, const std::u16string&, std::uint8_t,
                      const std::uint8_t*,
                      std::uint16_t size) { Trace.push_back("data " + std::to_string(size)); };
    Data.OnParsedData = [&](const std::u16string&, const std::u16string&, std::uint8_t,
                            std::uint32_t buttons) { Trace.push_back(std::to_string(buttons)); };
    Data.HidFindAndReadDevice(USAGE_AND_PAGE{0x0002, 0x0001}, u"*");
    Press(0b00100); // usage 3 pressed
    Press(0b10000); // 3 released, 5 pressed: the release
    Press(0b10000); // no change
    Press(0b10001); // 1 pressed
    Press(0b00000); // 1 and 5 released: the first one listed
    EXPECT_EQ(Trace, (std::vector<std::string>{"data 4", "196608", "data 4", "3", "data 4", "0",
                                               "data 4", "65536", "data 4", "1"}));
}

TEST(UsageListDifference, ListsEndAtTheirFirstZero) {
    const std::uint16_t previous[4] = {3, 5, 0, 9};
    const std::uint16_t current[4] = {5, 7, 8, 0};
    std::uint16_t released[4] = {1, 1, 1, 1}, pressed[4] = {1, 1, 1, 1};
    UsageListDifference(previous, current, released, pressed, 4);
    EXPECT_EQ(std::vector<std::uint16_t>(released, released + 4),
              (std::vector<std::uint16_t>{3, 0, 0, 0}));
    EXPECT_EQ(std::vector<std::uint16_t>(pressed, pressed + 4),
              (std::vector<std::uint16_t>{7, 8, 0, 0}));
    EXPECT_EQ(ButtonDataFromDifference(released, pressed), 3u);
    const std::span<const std::uint16_t> none(pressed + 2, 2);
    EXPECT_EQ(ButtonDataFromDifference(none, none), 0u);
    EXPECT_EQ(ButtonDataFromDifference(none, pressed), 7u << 16);
}

} // namespace
} // namespace zq::test
