// The HID transport on the system's own HID class driver, against the virtual
// mouse: discovery with and without the include list, the vendor collection's
// capabilities, feature transfers of every report class, input reports through
// a real reader to the main thread, stopping a reader whose read is pending,
// removal under a pending read, and the arrival and removal notifications.
#include "FolderPlatform.h"
#include "devices/VirtualMouse.h"
#include "hid/DeviceCommand.h"
#include "hid/TuiHIDData.h"
#include "hid/TuiHIDEvent.h"
#include "platform/Timer.h"
#include "profiles/DeviceUsage.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace zq::test {
namespace {

using devices::MouseTransfer;
using devices::VirtualMouse;
using namespace std::chrono_literals;

class Win32HidStack : public ::testing::Test {
protected:
    // Other tests of this binary expect a prefix without HID devices.
    static void TearDownTestSuite() { VirtualMouse::Unplug(); }
    void TearDown() override { DeviceUsageAndPage = {}; }
    void SetUp() override {
        DeviceUsageAndPage = VendorUsageAndPage; // as the profile manager sets it
        const std::string problem = VirtualMouse::Install();
        ASSERT_TRUE(problem.empty()) << problem;
        ASSERT_TRUE(VirtualMouse::Plug()) << "the virtual mouse could not be plugged";
        ASSERT_TRUE(VirtualMouse::Reset());
        ASSERT_TRUE(VirtualMouse::ClearTransfers());
    }

    void WriteConfig(const std::string& text) {
        std::ofstream(Folder.Path() / "config.ini", std::ios::binary) << text;
    }

    // Serves the main thread's messages until cond holds or the time is up.
    template <typename Cond> bool PumpUntil(Cond cond, std::chrono::milliseconds limit = 10s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!cond()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            Windows.Loop.ProcessMessages();
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return true;
    }

    static std::unique_ptr<THIDDataParam> Transfer(std::uint8_t reportId, std::uint32_t size) {
        auto param = std::make_unique<THIDDataParam>();
        param->UsageAndPage = VendorUsageAndPage;
        param->Data.ReportID = reportId;
        param->Data.DATASIZE = size;
        return param;
    }

    TempFolder Folder;
    FolderPlatform Stack{Folder.WithSeparator()};
    win32::Win32Platform& Windows = Stack.Windows();
    zq::Platform& Services = Stack.Platform();
};

TEST_F(Win32HidStack, TheVendorCollectionIsFoundByUsageAndByTheIncludeListCaseBlind) {
    const auto interfaces = Windows.Hid.Enumerate(Windows.Hid.InterfaceClass());
    bool vendorListed = false;
    for (const auto& iface : interfaces) {
        if (iface.HardwareIds.size() < 2 || iface.HardwareIds[1] != u"HID\\VID_7A51&PID_0C01&MI_01")
            continue;
        vendorListed = true;
        auto device = Windows.Hid.Open(iface.Path, false);
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(device->Caps(), (HidCaps{0xFFA0, 0x0001, 8, 0, 4096}));
    }
    EXPECT_TRUE(vendorListed) << "the setup lists no interface with the vendor's hardware ID";

    // Without a list every vendor collection is addressed; with one, only a
    // listed device, its IDs compared without regard to case.
    for (const std::string& config :
         {std::string(),
          std::string("[IncludeHIDDeviceList]\r\nid1=hid\\vid_7a51&pid_0c01&mi_01\r\n")}) {
        WriteConfig(config);
        TuiHIDData data(Services);
        EXPECT_TRUE(data.IsDeviceExist(*Transfer(2, 16))) << config;
    }
    WriteConfig("[IncludeHIDDeviceList]\r\nid1=HID\\VID_7A51&PID_0C01&MI_00\r\n");
    TuiHIDData notListed(Services);
    EXPECT_FALSE(notListed.IsDeviceExist(*Transfer(2, 16)));
    EXPECT_NE(notListed.HidFindAndSetFeatureReport(*Transfer(2, 16)), 0u);
    EXPECT_TRUE(VirtualMouse::Transfers().empty());
}

TEST_F(Win32HidStack, FeatureTransfersOfEveryReportClassUseTheCollectionsLength) {
    TuiHIDData data(Services);
    const std::pair<std::uint8_t, std::uint32_t> classes[] = {
        {2, 16}, {3, 64}, {4, 1024}, {5, 2048}, {6, 4096}};
    for (const auto& [id, size] : classes) {
        auto set = Transfer(id, size);
        set->Data.DATAReally[0] = 0x5A;
        set->Data.DATAReally[size - 2] = 0xA5;
        EXPECT_EQ(data.HidFindAndSetFeatureReport(*set), 0u) << int(id);
        auto get = Transfer(id, size);
        EXPECT_EQ(data.HidFindAndGetFeatureReport(*get), 0u) << int(id);
        EXPECT_EQ(get->Data.ReportID, id);
    }
    const auto transfers = VirtualMouse::Transfers();
    ASSERT_EQ(transfers.size(), 10u);
    for (std::size_t i = 0; i < transfers.size(); ++i) {
        const auto& t = transfers[i];
        const auto [id, size] = classes[i / 2];
        EXPECT_EQ(t.ReportId, id);
        if (t.Type == MouseTransfer::Kind::SetFeature) {
            // The device gets the report's own bytes, as the program built them.
            ASSERT_EQ(t.Bytes.size(), size) << int(id);
            EXPECT_EQ(t.Bytes[1], 0x5A);
            EXPECT_EQ(t.Bytes[size - 1], 0xA5);
        } else {
            EXPECT_EQ(t.Type, MouseTransfer::Kind::GetFeature);
            EXPECT_EQ(t.Length, 4096u) << "report " << int(id) << " asked in a short buffer";
        }
    }
}

TEST_F(Win32HidStack, DeviceQueriesReadTheFirmwareAndSurviveGarbageShortAndStalledReplies) {
    TuiHIDData data(Services);
    ASSERT_TRUE(VirtualMouse::SetActiveProfile(3));
    ASSERT_TRUE(VirtualMouse::SetCpiIndex(3, 4));
    std::uint8_t profile = 0xFF;
    ASSERT_EQ(QueryDeviceByte(data, profile, QUERY_CURRENT_PROFILE), 0u);
    EXPECT_EQ(profile, 3);
    std::int32_t cpiIndex = -1;
    ASSERT_EQ(GetProfileCpiIndex(data, 3, cpiIndex), 0u);
    EXPECT_EQ(cpiIndex, 4);

    // A reply cut short reads as zeros after what came, never as stale bytes.
    ASSERT_TRUE(VirtualMouse::SetFault(3, devices::MouseFault::Short));
    cpiIndex = -1;
    EXPECT_EQ(GetProfileCpiIndex(data, 3, cpiIndex), 0u);
    EXPECT_EQ(cpiIndex, 0);
    ASSERT_TRUE(VirtualMouse::SetFault(3, devices::MouseFault::Garbage));
    cpiIndex = -1;
    EXPECT_EQ(GetProfileCpiIndex(data, 3, cpiIndex), 0u);
    EXPECT_GE(cpiIndex, 0);
    EXPECT_LE(cpiIndex, 255);

    // A failing device answers a failure code; a stalled one is given up.
    ASSERT_TRUE(VirtualMouse::SetFault(0, devices::MouseFault::None));
    ASSERT_TRUE(VirtualMouse::SetFault(2, devices::MouseFault::Fail));
    EXPECT_NE(QueryDeviceByte(data, profile, QUERY_CURRENT_PROFILE), 0u);
    ASSERT_TRUE(VirtualMouse::SetFault(2, devices::MouseFault::Stall, 5000));
    EXPECT_EQ(data.HidFindAndSetFeatureReport(*Transfer(2, 16)), HidError::TimedOut);
}

TEST_F(Win32HidStack, InputReportsReachOnDataOnTheMainThreadAndAStopEndsAPendingRead) {
    TuiHIDData data(Services);
    std::vector<std::vector<std::uint8_t>> reports;
    std::vector<std::thread::id> threads;
    data.OnData = [&](const std::u16string&, const std::u16string&, std::uint8_t id,
                      const std::uint8_t* bytes, std::uint16_t size) {
        std::vector<std::uint8_t> report{id};
        report.insert(report.end(), bytes, bytes + size);
        reports.push_back(report);
        threads.push_back(std::this_thread::get_id());
    };
    data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    ASSERT_EQ(data.ReaderCount(), 1u); // the vendor collection only
    const std::uint8_t button[] = {7, 4, 0, 0, 0, 0, 0, 0};
    const std::uint8_t status[] = {8, 2, 3, 0, 0, 0, 0, 0};
    ASSERT_TRUE(VirtualMouse::SendInput(button));
    ASSERT_TRUE(VirtualMouse::SendInput(status));
    ASSERT_TRUE(PumpUntil([&] { return reports.size() == 2; }));
    EXPECT_EQ(reports[0], std::vector<std::uint8_t>(std::begin(button), std::end(button)));
    EXPECT_EQ(reports[1], std::vector<std::uint8_t>(std::begin(status), std::end(status)));
    EXPECT_EQ(threads[0], std::this_thread::get_id());

    // The reader now waits on a read the class driver holds: a stop cancels it
    // and returns once the reader has ended.
    data.HidStopRead();
    EXPECT_EQ(data.ReaderCount(), 0u);
    ASSERT_TRUE(VirtualMouse::SendInput(button));
    Windows.Loop.ProcessMessages();
    EXPECT_EQ(reports.size(), 2u);
}

TEST_F(Win32HidStack, RemovalUnderAPendingReadEndsTheReaderWithOneNoticeAndOneLine) {
    TuiHIDData data(Services);
    int notices = 0;
    data.OnDeviceNotConnected = [&](const std::u16string&, const std::u16string&) { ++notices; };
    data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    ASSERT_EQ(data.ReaderCount(), 1u);
    ASSERT_TRUE(VirtualMouse::Unplug(true));
    ASSERT_TRUE(PumpUntil([&] { return data.ReaderCount() == 0; }))
        << "the reader goes on reading a removed interface";
    Windows.Loop.ProcessMessages();
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(Stack.System().DebugLines(),
              (std::vector<std::u16string>{u"ERROR_DEVICE_NOT_CONNECTED++++++++++++++++"}));
    ASSERT_TRUE(VirtualMouse::Plug());
}

TEST_F(Win32HidStack, PlugAndUnplugAreNotifiedAsArrivalAndRemoval) {
    TuiHIDEvent component(Services);
    std::vector<std::string> events;
    component.OnDeviceArrival = [&](TuiHIDEvent&) { events.push_back("arrival"); };
    component.OnDeviceRemove = [&](TuiHIDEvent&) { events.push_back("remove"); };
    // The start timer's arrival first, so the next one is the device's.
    ASSERT_TRUE(PumpUntil([&] { return !events.empty(); }));
    events.clear();
    ASSERT_TRUE(VirtualMouse::Unplug(true));
    ASSERT_TRUE(PumpUntil(
        [&] { return std::count(events.begin(), events.end(), std::string("remove")) > 0; }));
    ASSERT_TRUE(VirtualMouse::Plug());
    ASSERT_TRUE(PumpUntil(
        [&] { return std::count(events.begin(), events.end(), std::string("arrival")) > 0; }));
}

} // namespace
} // namespace zq::test
