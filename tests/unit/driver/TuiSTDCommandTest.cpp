// The filter-driver channel over the recording driver: what config.ini gives it,
// the requests it sends, and the monitor loop's two workers reading the driver's
// stream of blocks, stopped, removed and restarted.
#include "driver/TuiSTDCommand.h"
#include "driver/CpiTransfer.h"
#include "support/HidWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace zq::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using sim::RecordingDriver;

constexpr std::uint32_t InitCode = DriverRequestCode(0x2010); // 0x80008040
constexpr std::uint32_t ReadCode = DriverRequestCode(0x2011); // 0x80008044
const Bytes InitData = {0x11, 0x22, 0x33};

struct Block {
    Bytes Data;
    std::thread::id Thread;
};

class TuiSTDCommandTest : public ::testing::Test {
protected:
    TuiSTDCommandTest() {
        Command.OnDataReceived = [this](const std::uint8_t* buffer, std::uint32_t size) {
            std::lock_guard lock(FLock);
            FBlocks.push_back({Bytes(buffer, buffer + size), std::this_thread::get_id()});
        };
        // Past the start-up arrival and the restart it brings.
        World.Loop.AdvanceBy(3000);
    }

    bool Configure(std::int32_t inputLength = 16, std::int32_t outputLength = 64) {
        return Command.SetDeviceInitData(InitData.data(),
                                         static_cast<std::uint32_t>(InitData.size()), InitCode,
                                         ReadCode, inputLength, outputLength);
    }
    void Arm() {
        ASSERT_TRUE(Configure());
        Command.StartMonitorDevice();
        World.Loop.RunUntilQuiet();
    }
    std::vector<Block> Received() {
        std::lock_guard lock(FLock);
        return FBlocks;
    }
    // The synchronous requests as "<code> <bytes>" lines.
    std::vector<std::string> Sent() const { return World.Log.Channel("driver"); }
    std::size_t Reads() const { return Driver.ReadRequests().size(); }
    bool WorkersGone() {
        return WaitUntil([&] { return Driver.OpenOverlappedHandles() == 0; });
    }

    HidWorld Hid;
    sim::SimWorld& World = Hid.World;
    RecordingDriver& Driver = World.Driver;
    TuiSTDCommand Command{World.Platform()};

private:
    std::mutex FLock;
    std::vector<Block> FBlocks;
};

TEST(TuiSTDCommandConfig, ListsAndDriverPackageComeFromConfigIni) {
    HidWorld hid;
    hid.Folder.Write("config.ini", "[devicelist]\r\n"
                                   "id1=HID\\VID_1234&PID_5678&MI_02&Col01\r\n"
                                   "id2=\r\n"
                                   "id3=HID\\VID_AAAA&PID_BBBB\r\n"
                                   "[usbdevicelist]\r\n"
                                   "id1=USB\\VID_1234&PID_5678&MI_02\r\n"
                                   "id2=USB\\VID_1234&PID_5679\r\n"
                                   "[DEVICE]\r\n"
                                   "DeviceName=zqfilter\r\n"
                                   "ServiceName=zqservice\r\n"
                                   "WHQL=1\r\n"
                                   "UpperFilter=1\r\n");
    auto& world = hid.World;
    TuiSTDCommand command(world.Platform());

    EXPECT_EQ(command.GetHIDDeviceList(),
              (std::vector<std::u16string>{u"HID\\VID_1234&PID_5678&MI_02&Col01"}));
    EXPECT_EQ(
        command.GetUSBDeviceList(),
        (std::vector<std::u16string>{u"USB\\VID_1234&PID_5678&MI_02", u"USB\\VID_1234&PID_5679"}));
    const TDriverInfo& info = command.DriverInfo();
    EXPECT_EQ(info.DeviceName, u"zqfilter");
    EXPECT_EQ(info.ServiceName, u"zqservice");
    EXPECT_EQ(info.InfFileName, u"usbqfrt00001.inf");
    EXPECT_EQ(info.FileName, u"usbqfrt00001.sys");
    EXPECT_EQ(info.ServiceNamex64, u"usbqfrt00001");
    EXPECT_EQ(info.WHQL, 1);
    EXPECT_EQ(info.X32WHQL, 0);
    EXPECT_EQ(info.UpperFilter, 1);
    EXPECT_EQ(command.DevicePath(), u"\\\\.\\zqfilter");
    EXPECT_EQ(command.UsbGuid(), *ParseGuid(u"{745A17A0-74D3-11D0-B6FE-00A0C90F57DA}"));
    EXPECT_EQ(command.HidGuid(), HidInterfaceClassGuid);
    EXPECT_EQ(command.ReadIOCode(), 0u);
    EXPECT_EQ(command.DeviceDataInitIOCode(), 0u);
    EXPECT_EQ(command.WriteIOCode(), 0u);

    // Only the configured name opens.
    std::uint8_t byte = 7;
    EXPECT_EQ(command.DeviceRW(&byte, 1, IOCTL_SET_CURRENT_CPI), ERROR_NOT_READY_);
    EXPECT_FALSE(command.IsDeviceExist());
    world.Driver.SetDeviceName(u"zqfilter");
    EXPECT_EQ(command.DeviceRW(&byte, 1, IOCTL_SET_CURRENT_CPI), 0u);
    EXPECT_TRUE(command.IsDeviceExist());

    // The installation works from the same lists and package description.
    EXPECT_TRUE(command.HardwareIdsInConfigHidList({u"x", u"hid\\vid_1234&pid_5678&mi_02&col01"}));
    EXPECT_FALSE(command.HardwareIdsInConfigHidList({u"HID\\VID_AAAA&PID_BBBB"}));
    EXPECT_TRUE(command.HardwareIdsInConfigUsbList({u"USB\\VID_1234&PID_5679"}));
    EXPECT_FALSE(command.IsHIDDeviceExist());
    sim::SimDeviceSetup::Device mouse;
    mouse.Node.HardwareIds = {u"USB\\VID_1234&PID_5678&MI_02",
                              u"HID\\VID_1234&PID_5678&MI_02&Col01"};
    world.Setup.Devices().push_back(mouse);
    EXPECT_TRUE(command.IsHIDDeviceExist());
    EXPECT_TRUE(command.ISHIDDeviceExist(u"usb\\vid_1234&pid_5678&mi_02"));
    EXPECT_FALSE(command.ISHIDDeviceExist(u"USB\\VID_1234&PID_5678"));
    world.System.SetArchitecture({false, false, 0, 1, false}); // 32-bit: the manual method
    command.HidInstallDriver(true);
    EXPECT_EQ(world.Setup.Devices()[0].Node.UpperFilters,
              (std::vector<std::u16string>{u"zqservice"}));
}

TEST(TuiSTDCommandConfig, WithoutConfigIniTheDefaultsAndEmptyLists) {
    HidWorld hid;
    TuiSTDCommand command(hid.World.Platform());
    EXPECT_TRUE(command.GetHIDDeviceList().empty());
    EXPECT_TRUE(command.GetUSBDeviceList().empty());
    EXPECT_EQ(command.DevicePath(), u"\\\\.\\usbqfrt00001");
    EXPECT_EQ(command.DriverInfo().ServiceNamex86, u"usbqfrt00001");
    EXPECT_TRUE(command.IsDeviceExist());
    command.HidInstallDriver(true); // nothing matches an empty list
    EXPECT_TRUE(hid.World.Log.Channel("setup").empty());
}

TEST_F(TuiSTDCommandTest, DeviceRWSendsTheBufferAndTheReplyOverwritesItsStart) {
    Driver.SetReply(InitCode, {0xA1, 0xA2});
    Bytes buffer = {1, 2, 3, 4};
    EXPECT_EQ(Command.DeviceRW(buffer.data(), 4, InitCode), 0u);
    EXPECT_EQ(buffer, (Bytes{0xA1, 0xA2, 3, 4}));
    EXPECT_EQ(Driver.Requests(), (std::vector<RecordingDriver::Request>{{InitCode, {1, 2, 3, 4}}}));

    // Count bytes, not the whole buffer; every request opens the device anew.
    EXPECT_EQ(Command.DeviceRW(buffer.data(), 1, ReadCode), 0u);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"80008040 01020304", "80008044 a1"}));
    EXPECT_EQ(Driver.OpenCount(), 2);

    Driver.SetFailure(ReadCode, ERROR_GEN_FAILURE_);
    EXPECT_EQ(Command.DeviceRW(buffer.data(), 4, ReadCode), ERROR_GEN_FAILURE_);
}

TEST_F(TuiSTDCommandTest, DeviceRWWithTheDriverAbsentOrBadArgumentsSendsNothing) {
    Driver.SetPresent(false);
    Bytes buffer = {1, 2, 3};
    EXPECT_EQ(Command.DeviceRW(buffer.data(), 3, InitCode), ERROR_NOT_READY_);
    EXPECT_EQ(buffer, (Bytes{1, 2, 3}));
    EXPECT_FALSE(Command.IsDeviceExist());

    Driver.SetPresent(true);
    EXPECT_EQ(Command.DeviceRW(buffer.data(), -1, InitCode), ERROR_INVALID_PARAMETER_);
    EXPECT_EQ(Command.DeviceRW(nullptr, 3, InitCode), ERROR_INVALID_PARAMETER_);
    EXPECT_EQ(Driver.OpenCount(), 0);
    EXPECT_EQ(Command.DeviceRW(nullptr, 0, InitCode), 0u); // a request without bytes
    EXPECT_EQ(Sent(), (std::vector<std::string>{"80008040 "}));
    EXPECT_TRUE(Command.IsDeviceExist());
    EXPECT_EQ(Driver.Requests().size(), 1u); // the presence test sends nothing
}

TEST_F(TuiSTDCommandTest, TheCpiRequestsCarryTheirBytesAndLeaveTheRecordAlone) {
    CPI_UNIT unit{};
    BuildCpiUnit(unit, 2, {{{800, 1600, 1}, {1000, 1000, 1}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}});
    Bytes record(sizeof(unit));
    std::memcpy(record.data(), &unit, sizeof(unit));
    Driver.SetReply(IOCTL_SET_CPI_UNIT, Bytes(238, 0xEE));

    EXPECT_EQ(SendCPIUnit(Command, unit), 0u);
    EXPECT_EQ(std::memcmp(&unit, record.data(), sizeof(unit)), 0);
    EXPECT_EQ(SendCurrentCpi(Command, 0x0102), 0u);
    EXPECT_EQ(Driver.Requests(), (std::vector<RecordingDriver::Request>{
                                     {0x80008004, record}, {0x8000800C, {0x02, 0x01}}}));

    Driver.SetPresent(false);
    EXPECT_EQ(SendCPIUnit(Command, unit), ERROR_NOT_READY_);
    EXPECT_EQ(SendCurrentCpi(Command, 3), ERROR_NOT_READY_);
    EXPECT_EQ(Driver.Requests().size(), 2u);
}

TEST_F(TuiSTDCommandTest, WithoutInitDataTheLoopNeverStarts) {
    Command.StartMonitorDevice();
    Command.SetMonitorData(); // nothing stored, nothing sent
    EXPECT_FALSE(Command.SetDeviceInitData(InitData.data(), 0, InitCode, ReadCode, 16, 64));
    Command.StartMonitorDevice();
    auto& mouse = World.Hid.AddMouse(); // arrivals run the restart timer, which finds nothing
    World.Loop.AdvanceBy(2000);
    mouse.Unplug();
    World.Loop.AdvanceBy(2000);
    EXPECT_EQ(Driver.OpenOverlappedHandles(), 0u);
    EXPECT_TRUE(Driver.ReadRequests().empty());
    EXPECT_TRUE(Sent().empty());
}

TEST_F(TuiSTDCommandTest, StartSendsTheInitDataAndKeepsOneReadUnderWay) {
    Arm();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"80008040 112233"}));
    EXPECT_EQ(Driver.ReadRequests(),
              (std::vector<RecordingDriver::ReadRequest>{{ReadCode, 16, 64}}));
    EXPECT_EQ(World.Log.Channel("driver-read"), (std::vector<std::string>{"80008044 16 64"}));
    EXPECT_EQ(Driver.OpenOverlappedHandles(), 1u);
    EXPECT_TRUE(Received().empty());
}

TEST_F(TuiSTDCommandTest, WorkersTakeTurnsAndAnEmptyReadPassesTheTurnWithoutDelivery) {
    Arm();
    for (std::uint8_t i = 1; i <= 4; ++i)
        Driver.FeedBlock({i, static_cast<std::uint8_t>(i * 16)});
    Driver.FeedBlock({}); // read by worker 1, passes the turn
    Driver.FeedBlock({5});
    World.Loop.RunUntilQuiet();

    const auto got = Received();
    ASSERT_EQ(got.size(), 5u);
    std::map<std::uint8_t, std::thread::id> readBy;
    for (const Block& block : got)
        readBy[block.Data[0]] = block.Thread;
    ASSERT_EQ(readBy.size(), 5u);
    EXPECT_NE(readBy[1], readBy[2]);
    EXPECT_NE(readBy[1], std::this_thread::get_id());
    EXPECT_NE(readBy[2], std::this_thread::get_id());
    EXPECT_EQ(readBy[3], readBy[1]);
    EXPECT_EQ(readBy[4], readBy[2]);
    EXPECT_EQ(readBy[5], readBy[2]); // the empty block was worker 1's turn
    for (const Block& block : got) {
        const std::uint8_t n = block.Data[0];
        const Bytes expected = n <= 4 ? Bytes{n, static_cast<std::uint8_t>(n * 16)} : Bytes{5};
        EXPECT_EQ(block.Data, expected);
    }
    // Six blocks read, the seventh read under way.
    EXPECT_EQ(Reads(), 7u);
}

TEST_F(TuiSTDCommandTest, BlocksLongerThanTheOutputLengthAreCut) {
    ASSERT_TRUE(Configure(0, 3));
    Command.StartMonitorDevice();
    Driver.FeedBlock({1, 2, 3, 4, 5});
    World.Loop.RunUntilQuiet();
    ASSERT_EQ(Received().size(), 1u);
    EXPECT_EQ(Received()[0].Data, (Bytes{1, 2, 3}));
}

TEST_F(TuiSTDCommandTest, StopCancelsThePendingReadAndClosesTheHandle) {
    Arm();
    Command.StopMonitorDevice();
    EXPECT_EQ(Driver.OpenOverlappedHandles(), 0u);
    EXPECT_EQ(Driver.CancelledRequests(), 1);
    Driver.FeedBlock({1});
    World.Loop.RunUntilQuiet();
    EXPECT_TRUE(Received().empty());
    Command.StopMonitorDevice(); // again: nothing to do

    // A start after a stop reads again with fresh turns.
    Command.StartMonitorDevice();
    Driver.FeedBlock({2});
    Driver.FeedBlock({3});
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(Received().size(), 2u);
    EXPECT_EQ(Sent().size(), 2u); // init data at each start
}

TEST_F(TuiSTDCommandTest, AStopLetsGoOfAReadThatOnlyTheHandlesClosingEnds) {
    // Such a driver ignores the cancel: a stop that waited for the read without
    // limit would never return.
    Driver.SetCompletesOnlyAtClose(true);
    Arm();
    Command.StopMonitorDevice();
    EXPECT_EQ(Driver.OpenOverlappedHandles(), 0u);
    EXPECT_EQ(Driver.RequestsEndedAtClose(), 1);
    EXPECT_TRUE(World.Loop.UnhandledErrors().empty());
    // The next start reads as before.
    Command.StartMonitorDevice();
    Driver.FeedBlock({7});
    World.Loop.RunUntilQuiet();
    ASSERT_EQ(Received().size(), 1u);
    EXPECT_EQ(Received()[0].Data, Bytes{7});
}

TEST_F(TuiSTDCommandTest, ReadsThatEndAtOnceWithNothingArePausedBetween) {
    // A driver that answers every read at once with no data: without a pause the
    // two workers would pass the turn back and forth at full speed.
    Driver.SetEmptyReadsAtOnce(true);
    ASSERT_TRUE(Configure());
    Command.StartMonitorDevice(); // never quiet while the driver answers so
    ASSERT_TRUE(WaitUntil([&] { return Reads() >= 20; }));
    Driver.SetEmptyReadsAtOnce(false); // later reads stay under way
    World.Loop.RunUntilQuiet();
    const int empty = Driver.EmptyReadAnswers();
    EXPECT_GE(empty, 20);
    EXPECT_EQ(Driver.TimedWaits(), empty); // one pause after each
    EXPECT_TRUE(Received().empty());
    Command.StopMonitorDevice();
    EXPECT_EQ(Driver.OpenOverlappedHandles(), 0u);
}

TEST_F(TuiSTDCommandTest, AStartWhileArmedRestartsTheLoop) {
    Arm();
    Command.StartMonitorDevice();
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(Driver.OpenOverlappedHandles(), 1u);
    EXPECT_EQ(Driver.CancelledRequests(), 1);
    EXPECT_EQ(Reads(), 2u);
    Driver.FeedBlock({9});
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(Received().size(), 1u);
}

class TuiSTDCommandFailureTest : public TuiSTDCommandTest,
                                 public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(TuiSTDCommandFailureTest, AFailedReadEndsOnlyItsWorkerUntilTheNextStart) {
    Arm();
    Driver.FeedFailure(GetParam());
    World.Loop.RunUntilQuiet();
    // The turn is not passed: nobody reads any more, although the handle stays.
    Driver.FeedBlock({1});
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(Reads(), 1u);
    EXPECT_TRUE(Received().empty());
    EXPECT_EQ(Driver.OpenOverlappedHandles(), 1u);

    // The next start tidies up and reads again.
    Command.StartMonitorDevice();
    Driver.FeedBlock({2});
    World.Loop.RunUntilQuiet();
    ASSERT_EQ(Received().size(), 1u);
    EXPECT_EQ(Received()[0].Data, (Bytes{2}));
}

INSTANTIATE_TEST_SUITE_P(Errors, TuiSTDCommandFailureTest,
                         ::testing::Values(ERROR_OPERATION_ABORTED_, ERROR_DEVICE_NOT_CONNECTED_,
                                           ERROR_GEN_FAILURE_));

TEST_F(TuiSTDCommandTest, RemovalCancelsThePendingReadAndTheRestartComesOnlyWithTheDevice) {
    auto& mouse = World.Hid.AddMouse();
    World.Loop.AdvanceBy(1500); // the arrival's restart: nothing stored yet
    Arm();
    std::vector<std::string> events;
    Command.OnDeviceRemovalEvent = [&](TuiHIDEvent&) {
        events.push_back("removal t=" + std::to_string(World.Loop.NowMs()));
    };
    Command.OnDeviceArrialEvent = [&](TuiHIDEvent&) {
        events.push_back("arrival t=" + std::to_string(World.Loop.NowMs()));
    };

    mouse.Unplug();
    World.Loop.RunUntilQuiet();
    ASSERT_TRUE(WorkersGone());
    EXPECT_EQ(Driver.CancelledRequests(), 1);
    EXPECT_EQ(events.size(), 3u); // one per collection of the mouse

    // 1500 ms after the last removal the loop comes back, init data first.
    World.Loop.AdvanceBy(1499);
    EXPECT_EQ(Driver.OpenOverlappedHandles(), 0u);
    World.Loop.AdvanceBy(1);
    EXPECT_EQ(Driver.OpenOverlappedHandles(), 1u);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"80008040 112233", "80008040 112233"}));
    Driver.FeedBlock({4});
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(Received().size(), 1u);

    // Gone with the mouse, the driver's device does not open: the loop stays off.
    Driver.SetPresent(false);
    mouse.Unplug();
    mouse.Plug();
    World.Loop.RunUntilQuiet();
    mouse.Unplug();
    World.Loop.RunUntilQuiet();
    ASSERT_TRUE(WorkersGone());
    World.Loop.AdvanceBy(5000);
    EXPECT_EQ(Driver.OpenOverlappedHandles(), 0u);
    EXPECT_EQ(Sent().size(), 2u);

    // Back again, the next arrival restarts it.
    Driver.SetPresent(true);
    mouse.Plug();
    World.Loop.AdvanceBy(1500);
    EXPECT_EQ(Driver.OpenOverlappedHandles(), 1u);
    EXPECT_EQ(Sent().size(), 3u);
    EXPECT_EQ(events.front(), "removal t=4500");
}

TEST_F(TuiSTDCommandTest, ABurstOfArrivalsAndRemovalsRestartsOnce) {
    Arm();
    auto& mouse = World.Hid.AddMouse();
    World.Loop.AdvanceBy(700);
    mouse.Unplug();
    World.Loop.AdvanceBy(700);
    mouse.Plug();
    World.Loop.AdvanceBy(3000);
    std::vector<std::uint64_t> starts;
    for (const auto& effect : World.Log.Effects())
        if (effect.Channel == "driver")
            starts.push_back(effect.Time);
    EXPECT_EQ(starts, (std::vector<std::uint64_t>{3000, 4400 + 1500}));
}

TEST_F(TuiSTDCommandTest, InitDataKeepsItsBytesAndSizeZeroOrTooLongReadsChangeNothing) {
    Driver.SetReply(InitCode, {0xEE, 0xEE, 0xEE});
    ASSERT_TRUE(Configure());
    const Bytes other = {9, 8};
    EXPECT_FALSE(Command.SetDeviceInitData(other.data(), 0, 0x1, 0x2, 1, 1));
    EXPECT_FALSE(Command.SetDeviceInitData(other.data(), 2, 0x1, 0x2, 10242, 1));
    EXPECT_FALSE(Command.SetDeviceInitData(other.data(), 2, 0x1, 0x2, 1, 10242));
    EXPECT_FALSE(Command.SetDeviceInitData(other.data(), 2, 0x1, 0x2, -1, 1));
    EXPECT_FALSE(Command.SetDeviceInitData(nullptr, 2, 0x1, 0x2, 1, 1));
    EXPECT_FALSE(Command.SetMonitorData(other.data(), 2, 0x1, 0x2, 1, 10242));
    EXPECT_EQ(Command.ReadIOCode(), ReadCode);
    EXPECT_EQ(Command.DeviceDataInitIOCode(), InitCode);
    EXPECT_TRUE(Sent().empty());

    // Sent at every start and again on request, always as stored.
    Command.StartMonitorDevice();
    Command.SetMonitorData();
    Command.StartMonitorDevice();
    EXPECT_EQ(Sent(), std::vector<std::string>(3, "80008040 112233"));
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(Driver.ReadRequests().back(), (RecordingDriver::ReadRequest{ReadCode, 16, 64}));

    // New data is stored and sent once; the caller's bytes stay as they were.
    Bytes fresh = {7, 7};
    EXPECT_TRUE(Command.SetMonitorData(fresh.data(), 2, 0x80008048, 0x8000804C, 10241, 10241));
    EXPECT_EQ(fresh, (Bytes{7, 7}));
    EXPECT_EQ(Sent().back(), "80008048 0707");
    Command.StartMonitorDevice();
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(Sent().back(), "80008048 0707");
    EXPECT_EQ(Driver.ReadRequests().back(),
              (RecordingDriver::ReadRequest{0x8000804C, 10241, 10241}));
}

TEST_F(TuiSTDCommandTest, AnErrorOfTheHandlerReachesTheMainLoopAndReadingGoesOn) {
    Command.OnDataReceived = [](const std::uint8_t* buffer, std::uint32_t) {
        if (buffer[0] == 1)
            throw std::runtime_error("handler failed");
    };
    Arm();
    Driver.FeedBlock({1});
    Driver.FeedBlock({2});
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(World.Loop.UnhandledErrors(), (std::vector<std::string>{"handler failed"}));
    EXPECT_EQ(Reads(), 3u);
}

TEST_F(TuiSTDCommandTest, DestructionWhileArmedEndsTheWorkersWithoutWaitingForTheDevice) {
    {
        TuiSTDCommand second(World.Platform());
        ASSERT_TRUE(second.SetDeviceInitData(InitData.data(), 3, InitCode, ReadCode, 0, 8));
        second.StartMonitorDevice();
        World.Loop.RunUntilQuiet();
        EXPECT_EQ(Driver.OpenOverlappedHandles(), 1u);
    }
    EXPECT_EQ(Driver.OpenOverlappedHandles(), 0u);
    EXPECT_EQ(Driver.CancelledRequests(), 1);
    EXPECT_EQ(World.Loop.NowMs(), 3000u); // no pause on the clock either
}

} // namespace
} // namespace zq::test
