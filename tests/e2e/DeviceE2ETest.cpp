// The real program with a real device stack: the virtual mouse served by the
// system's HID class driver and the virtual filter driver. Each story is also run
// on the simulated world in this process, and the real program must have done to
// the devices exactly what the simulation did: the same feature reports in the
// same order, the same driver requests byte for byte, the same messages.

#include "MonitorProcess.h"
#include "devices/VirtualMouse.h"
#include "devices/vfilter/VirtualFilterDriver.h"
#include "platform/sim/SimLog.h"
#include "platform/sim/SimMouse.h"
#include "support/MonitorWorld.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace zq::e2e {
namespace {

using devices::MouseTransfer;
using devices::VirtualFilterDriver;
using devices::VirtualMouse;

constexpr std::uint32_t SetCpiRequest = 0x80008004;
constexpr std::uint32_t SetCpiLevelRequest = 0x8000800C;

// The stored profiles go under a key of these tests alone.
constexpr wchar_t ProfileKey[] = L"software\\ZQE2EDEVICES";
const std::string Config = "[options]\r\nProfileRegFolder=ZQE2EDEVICES\r\n"
                           "[IncludeHIDDeviceList]\r\nid1=hid\\vid_7a51&pid_0c01&mi_01\r\n";

std::string DriverLine(std::uint32_t code, const std::vector<std::uint8_t>& bytes) {
    char head[16];
    std::snprintf(head, sizeof head, "%08x ", static_cast<unsigned>(code));
    return head + sim::HexBytes(bytes);
}

// What the mouse received, as the simulated mouse logs it: the report as set,
// and the report's own bytes of what was answered.
std::vector<std::string> FeatureLines(const std::vector<MouseTransfer>& transfers,
                                      MouseTransfer::Kind kind) {
    static const std::size_t ReportSize[7] = {0, 0, 16, 64, 1024, 2048, 4096};
    std::vector<std::string> lines;
    for (const auto& t : transfers) {
        if (t.Type != kind || t.Interface != 1)
            continue;
        const auto& bytes = kind == MouseTransfer::Kind::GetFeature ? t.Answer : t.Bytes;
        const std::size_t size = t.ReportId < 7 ? ReportSize[t.ReportId] : bytes.size();
        lines.push_back(sim::HexBytes(std::span(bytes.data(), std::min(size, bytes.size()))));
    }
    return lines;
}

std::vector<std::string> DriverLines() {
    std::vector<std::string> lines;
    for (const auto& request : VirtualFilterDriver::Requests())
        lines.push_back(DriverLine(request.Code, request.Input));
    return lines;
}

// The messages the configuration program received, as the simulated peer logs
// them ("7040 2 0"), from the stand-in's log ("message 7040 2 0").
std::vector<std::string> PeerMessages(const MonitorInstall& install) {
    std::vector<std::string> lines;
    for (const auto& line : install.PeerLog())
        if (line.rfind("message ", 0) == 0)
            lines.push_back(line.substr(8));
    return lines;
}

std::vector<std::string> SimPeerMessages(const test::MonitorWorld& world) {
    std::vector<std::string> lines;
    for (const auto& effect : world.World.Log.Effects())
        if (effect.Channel == "peer-send" || effect.Channel == "peer-post")
            lines.push_back(effect.Details);
    return lines;
}

// The simulated mouse as the virtual one is built: the plain mouse on interface
// 0 and the vendor collection alone on interface 1.
sim::SimMouseConfig LikeTheVirtualMouse() {
    auto config = sim::SimMouseConfig::Default();
    config.Collections.erase(config.Collections.begin() + sim::SimConsumerCollection);
    return config;
}

class DeviceE2E : public ::testing::Test {
protected:
    // Other tests expect a prefix without HID devices.
    static void TearDownTestSuite() { VirtualMouse::Unplug(); }
    void SetUp() override {
        const std::string mouse = VirtualMouse::Install();
        ASSERT_TRUE(mouse.empty()) << mouse;
        const std::string driver = VirtualFilterDriver::Install();
        ASSERT_TRUE(driver.empty()) << driver;
        ASSERT_TRUE(VirtualMouse::Plug());
        ASSERT_TRUE(VirtualMouse::Reset());
        ASSERT_TRUE(VirtualMouse::ClearTransfers());
        ASSERT_TRUE(VirtualFilterDriver::Clear());
        ::RegDeleteTreeW(HKEY_CURRENT_USER, ProfileKey);
        FInstall.WriteFile("config.ini", Config);
        FSim.WriteConfig(Config);
        FSim.World.Desktop.Peer().SetPresent(true);
    }
    void TearDown() override {
        FMonitor.Kill();
        FPeer.Kill();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, ProfileKey);
    }

    // The firmware's state, the same on the virtual and the simulated mouse.
    void SetFirmware(std::uint8_t profile, std::uint8_t cpiIndex) {
        ASSERT_TRUE(VirtualMouse::SetActiveProfile(profile));
        ASSERT_TRUE(VirtualMouse::SetCpiIndex(profile, cpiIndex));
        FSimMouse.SetActiveProfile(profile);
        FSimMouse.SetProfileCpiIndex(profile, cpiIndex);
    }

    // Starts the configuration program's stand-in and the monitor, and waits
    // for the start-up resynchronisation to reach the driver; the simulation
    // runs its start-up as well.
    void StartAndSettle() {
        FPeer = FInstall.StartPeer();
        FMonitor = FInstall.StartMonitor();
        ASSERT_TRUE(WaitFor([] { return !VirtualFilterDriver::Requests().empty(); }, 15s))
            << "no CPI record reached the driver after start";
        FSim.Start();
        FSim.World.Loop.AdvanceBy(3200);
    }

    // The effects of the simulated world since the last clear, and a clear of
    // every log, real and simulated.
    void ClearLogs() {
        ASSERT_TRUE(VirtualMouse::ClearTransfers());
        ASSERT_TRUE(VirtualFilterDriver::Clear());
        FSim.World.Log.Clear();
        FPeerMessagesSeen = PeerMessages(FInstall).size();
    }
    std::vector<std::string> NewPeerMessages() const {
        auto all = PeerMessages(FInstall);
        all.erase(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(
                                                 std::min(FPeerMessagesSeen, all.size())));
        return all;
    }

    // The devices saw what the simulated ones saw.
    void ExpectSameAsSimulation() {
        const auto transfers = VirtualMouse::Transfers();
        EXPECT_EQ(FeatureLines(transfers, MouseTransfer::Kind::SetFeature),
                  FSim.Channel("hid-set"));
        EXPECT_EQ(FeatureLines(transfers, MouseTransfer::Kind::GetFeature),
                  FSim.Channel("hid-get"));
        EXPECT_EQ(DriverLines(), FSim.Channel("driver"));
    }

    MonitorInstall FInstall;
    Process FMonitor;
    Process FPeer;
    test::MonitorWorld FSim;
    sim::SimMouse& FSimMouse = FSim.World.Hid.AddMouse(LikeTheVirtualMouse());
    std::size_t FPeerMessagesSeen = 0;
};

TEST_F(DeviceE2E, StartUpReadsTheMouseAndSendsItsCpiSettingsInFullSizedTransfers) {
    SetFirmware(3, 2);
    StartAndSettle();
    ExpectSameAsSimulation();
    const auto transfers = VirtualMouse::Transfers();
    ASSERT_FALSE(transfers.empty());
    for (const auto& t : transfers) {
        EXPECT_EQ(t.Status, 0u);
        // The class driver hands a get the caller's buffer: the collection's
        // feature length, whatever report it addresses.
        if (t.Type == MouseTransfer::Kind::GetFeature) {
            EXPECT_EQ(t.Length, 4096u) << "report " << int(t.ReportId);
        }
    }
    EXPECT_EQ(VirtualMouse::State()->Mode, 1); // the sequence ends in mode 1
}

TEST_F(DeviceE2E, AProfileSwitchOnTheMouseIsQueriedAppliedAndTold) {
    SetFirmware(2, 0);
    StartAndSettle();
    ClearLogs();
    SetFirmware(1, 4);
    const std::uint8_t profileChanged[] = {8, 1, 1, 0, 0, 0, 0, 0};
    ASSERT_TRUE(VirtualMouse::SendInput(profileChanged));
    FSimMouse.SendStatusReport(1, 1);
    FSim.World.Loop.AdvanceBy(500);
    ASSERT_TRUE(WaitFor([&] { return !NewPeerMessages().empty(); }))
        << "the configuration program was not told";
    ExpectSameAsSimulation();
    EXPECT_EQ(NewPeerMessages(), SimPeerMessages(FSim));
}

TEST_F(DeviceE2E, ABurstOfCpiReportsSendsOneLevelRequest) {
    SetFirmware(2, 0);
    StartAndSettle();
    ClearLogs();
    for (std::uint8_t level : {1, 2, 3}) {
        const std::uint8_t cpiChanged[] = {8, 2, level, 0, 0, 0, 0, 0};
        ASSERT_TRUE(VirtualMouse::SendInput(cpiChanged));
        FSimMouse.SendStatusReport(2, level);
    }
    FSim.World.Loop.AdvanceBy(500);
    ASSERT_TRUE(WaitFor([] { return !VirtualFilterDriver::Requests().empty(); }));
    ::Sleep(500); // a second request would follow the first within the debounce time
    ASSERT_EQ(FSim.Channel("driver").size(), 1u);
    EXPECT_EQ(FSim.Channel("driver")[0].substr(0, 8), "8000800c");
    ExpectSameAsSimulation();
}

TEST_F(DeviceE2E, UnplugAndPlugResynchroniseOnceAfterTheArrivalSettles) {
    SetFirmware(0, 1);
    StartAndSettle();
    ClearLogs();
    ASSERT_TRUE(VirtualMouse::Unplug());
    ASSERT_TRUE(VirtualMouse::Plug());
    const auto plugged = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitFor([] { return !VirtualFilterDriver::Requests().empty(); }, 15s))
        << "no resynchronisation after the arrival";
    // The arrival settles for 1500 ms before the mouse is read again.
    EXPECT_GE(std::chrono::steady_clock::now() - plugged, 1400ms);
    ::Sleep(2000); // a second resynchronisation would come within this time
    FSimMouse.Unplug();
    FSimMouse.Plug();
    FSim.World.Loop.AdvanceBy(2000);
    ExpectSameAsSimulation();
    EXPECT_EQ(FeatureLines(VirtualMouse::Transfers(), MouseTransfer::Kind::SetFeature).size(), 4u);
}

TEST_F(DeviceE2E, ExitSendsTheShutdownRecordLastAndTellsTheConfigurationProgram) {
    SetFirmware(4, 3);
    StartAndSettle();
    ClearLogs();
    ChooseTrayMenuEntry(FMonitor.Id(), MenuExit);
    EXPECT_EQ(FMonitor.WaitForExit(), std::optional<DWORD>(0));
    const auto requests = VirtualFilterDriver::Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().Code, SetCpiRequest);
    ASSERT_EQ(requests.back().Input.size(), 238u);
    EXPECT_EQ(requests.back().Input[2], 0); // NeedApplyNewCPI 0: the driver stops applying
    EXPECT_EQ(requests.back().Input[3], 0);
    EXPECT_TRUE(WaitFor([&] { return FInstall.PeerLogged("message 7036 0 0"); }));
    FSim.Stop();
    EXPECT_EQ(DriverLines(), FSim.Channel("driver"));
}

TEST_F(DeviceE2E, AMouseThatStallsOrFailsTransfersDoesNotStopTheMonitor) {
    SetFirmware(2, 1);
    ASSERT_TRUE(VirtualMouse::SetFault(0, devices::MouseFault::Stall, 20000));
    StartAndSettle(); // the read-back gives up on the stalled transfers
    ASSERT_TRUE(VirtualMouse::SetFault(0, devices::MouseFault::None));
    ASSERT_TRUE(VirtualMouse::SetFault(3, devices::MouseFault::Garbage));
    ClearLogs();
    const std::uint8_t profileChanged[] = {8, 1, 2, 0, 0, 0, 0, 0};
    ASSERT_TRUE(VirtualMouse::SendInput(profileChanged));
    ASSERT_TRUE(WaitFor([&] { return !NewPeerMessages().empty(); }))
        << "the monitor no longer follows the mouse";
    ChooseTrayMenuEntry(FMonitor.Id(), MenuExit);
    EXPECT_EQ(FMonitor.WaitForExit(), std::optional<DWORD>(0));
}

} // namespace
} // namespace zq::e2e
