// The virtual mouse under wine's real HID stack, met through the program's own
// Windows HID bus and transport: it is listed with its hardware identifiers and
// capabilities, a query round-trips through feature reports, an injected input
// report is read, faults shape the transfers, and an unplug ends a pending read.
// These prove the device; the backends are tested against it elsewhere.
#include "devices/VirtualMouse.h"
#include "hid/DeviceCommand.h"
#include "hid/TuiHIDData.h"
#include "platform/win32/Win32HidBus.h"
#include "platform/win32/Win32Platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zq::test {
namespace {

using devices::MouseFault;
using devices::MouseTransfer;
using devices::VirtualMouse;
using win32::Win32HidBus;
using win32::Win32Platform;

using Bytes = std::vector<std::uint8_t>;

class VirtualMouseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Problem() = VirtualMouse::Install(); }
    // Other tests of this binary expect a prefix without HID devices.
    static void TearDownTestSuite() { VirtualMouse::Unplug(); }
    // What kept the installation from working; empty when it worked.
    static std::string& Problem() {
        static std::string problem;
        return problem;
    }
    void SetUp() override {
        ASSERT_TRUE(Problem().empty()) << Problem();
        ASSERT_TRUE(VirtualMouse::Plugged() || VirtualMouse::Plug()) << "virtual mouse not plugged";
        ASSERT_TRUE(VirtualMouse::Reset()) << "virtual mouse control device unreachable";
        ASSERT_TRUE(VirtualMouse::ClearTransfers());
    }

    // The path of the present interface with that hardware identifier.
    std::u16string PathOf(const wchar_t* hardwareId) {
        const std::u16string wanted(hardwareId,
                                    hardwareId + std::char_traits<wchar_t>::length(hardwareId));
        for (const auto& iface : Bus.Enumerate(Bus.InterfaceClass()))
            for (const auto& id : iface.HardwareIds)
                if (id == wanted)
                    return iface.Path;
        return {};
    }

    static std::unique_ptr<THIDDataParam> Feature(std::uint8_t reportId, std::uint32_t size,
                                                  const Bytes& bytes = {}) {
        auto param = std::make_unique<THIDDataParam>();
        param->UsageAndPage = VendorUsageAndPage;
        param->Data.ReportID = reportId;
        param->Data.DATASIZE = size;
        std::copy(bytes.begin(), bytes.end(), ReportBytes(param->Data));
        return param;
    }

    Win32HidBus Bus;
};

// Polls a condition of the device, which changes in another process.
template <typename Condition> bool WaitUntil(Condition condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

Bytes Padded(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

TEST_F(VirtualMouseTest, ListsBothInterfacesWithTheirHardwareIdsAndCollections) {
    const std::u16string vendorPath = PathOf(VirtualMouse::VendorHardwareId);
    ASSERT_FALSE(vendorPath.empty());
    auto vendor = Bus.Open(vendorPath, false);
    ASSERT_NE(vendor, nullptr);
    EXPECT_EQ(vendor->Caps(), (HidCaps{.UsagePage = 0xFFA0,
                                       .Usage = 0x0001,
                                       .InputReportByteLength = 8,
                                       .OutputReportByteLength = 0,
                                       .FeatureReportByteLength = 4096}));

    const std::u16string mousePath = PathOf(VirtualMouse::MouseHardwareId);
    ASSERT_FALSE(mousePath.empty());
    auto mouse = Bus.Open(mousePath, false);
    ASSERT_NE(mouse, nullptr);
    ASSERT_TRUE(mouse->Caps());
    EXPECT_EQ(mouse->Caps()->UsagePage, 0x0001);
    EXPECT_EQ(mouse->Caps()->Usage, 0x0002);
}

TEST_F(VirtualMouseTest, AQueryRoundTripsThroughFeatureReportsOfTheCollectionsLength) {
    ASSERT_TRUE(VirtualMouse::SetActiveProfile(3));
    Win32Platform platform;
    TuiHIDData hid(platform.Platform());

    const Bytes header = {0x02, 0x03, 0x43, 0x00, 0x01, 0x00, 0xFA, 0xFA};
    auto set = Feature(2, 4096, header);
    ASSERT_EQ(hid.HidFindAndSetFeatureReport(*set), 0u);
    auto get = Feature(2, 4096, header);
    ASSERT_EQ(hid.HidFindAndGetFeatureReport(*get), 0u);
    const Bytes reply(ReportBytes(get->Data), ReportBytes(get->Data) + 16);
    EXPECT_EQ(reply, Padded({0x02, 0x03, 0x43, 0x00, 0x01, 0x00, 0xFA, 0xFA, 3}, 16));

    const auto transfers = VirtualMouse::Transfers();
    ASSERT_EQ(transfers.size(), 2u);
    // A set hands the mouse the report's own length, a get the caller's buffer.
    EXPECT_EQ(transfers[0].Type, MouseTransfer::Kind::SetFeature);
    EXPECT_EQ(transfers[0].ReportId, 2);
    EXPECT_EQ(transfers[0].Length, 16u);
    EXPECT_EQ(transfers[0].Bytes, Padded(header, 16));
    EXPECT_EQ(transfers[1].Type, MouseTransfer::Kind::GetFeature);
    EXPECT_EQ(transfers[1].Length, 4096u);
    EXPECT_EQ(transfers[1].Bytes, Padded(header, 4096));
    EXPECT_EQ(transfers[1].Answer, reply);
}

TEST_F(VirtualMouseTest, TheDeviceCommandsReadTheFirmwareState) {
    ASSERT_TRUE(VirtualMouse::SetActiveProfile(4));
    ASSERT_TRUE(VirtualMouse::SetCpiIndex(4, 6));
    DeviceUsageAndPage = VendorUsageAndPage; // as the profile manager sets it
    Win32Platform platform;
    TuiHIDData hid(platform.Platform());

    SetDeviceMode(hid, 0);
    std::uint8_t profile = 0xFF;
    EXPECT_EQ(QueryDeviceByte(hid, profile, QUERY_CURRENT_PROFILE), 0u);
    EXPECT_EQ(profile, 4);
    std::int32_t cpi = -1;
    EXPECT_EQ(GetProfileCpiIndex(hid, 4, cpi), 0u);
    EXPECT_EQ(cpi, 6);
    SetDeviceMode(hid, 1);
    ASSERT_TRUE(VirtualMouse::State());
    EXPECT_EQ(VirtualMouse::State()->Mode, 1);

    const auto transfers = VirtualMouse::Transfers();
    ASSERT_EQ(transfers.size(), 6u);
    EXPECT_EQ(transfers[0].Bytes, Padded({0x02, 0x06, 0x00}, 16));
    EXPECT_EQ(transfers[3].Bytes, Padded({0x02, 0x03, 0x4F, 0x04, 0x2A, 0x00, 0xFA, 0xFA}, 16));
    EXPECT_EQ(transfers[4].ReportId, 3);
    EXPECT_EQ(transfers[4].Answer,
              Padded({0x03, 0x03, 0x4F, 0x04, 0x2A, 0x00, 0xFA, 0xFA, 0, 6}, 64));
    EXPECT_EQ(transfers[5].Bytes, Padded({0x02, 0x06, 0x01}, 16));
    DeviceUsageAndPage = {};
}

TEST_F(VirtualMouseTest, FaultsFailOrShortenTheTransfersOfTheirReportId) {
    Win32Platform platform;
    TuiHIDData hid(platform.Platform());
    const Bytes header = {0x02, 0x03, 0x43, 0x00, 0x01, 0x00, 0xFA, 0xFA};

    ASSERT_TRUE(VirtualMouse::SetFault(2, MouseFault::Fail));
    auto failed = Feature(2, 4096, header);
    EXPECT_NE(hid.HidFindAndSetFeatureReport(*failed), 0u);
    auto other = Feature(3, 4096, {0x03});
    EXPECT_EQ(hid.HidFindAndSetFeatureReport(*other), 0u); // another id is not affected

    ASSERT_TRUE(VirtualMouse::SetFault(2, MouseFault::Short));
    ASSERT_TRUE(VirtualMouse::SetActiveProfile(2));
    auto set = Feature(2, 4096, header);
    ASSERT_EQ(hid.HidFindAndSetFeatureReport(*set), 0u);
    auto get = Feature(2, 4096, header);
    ASSERT_EQ(hid.HidFindAndGetFeatureReport(*get), 0u);

    const auto transfers = VirtualMouse::Transfers();
    ASSERT_EQ(transfers.size(), 4u);
    EXPECT_NE(transfers[0].Status, 0u);
    EXPECT_EQ(transfers[1].Status, 0u);
    EXPECT_EQ(transfers[3].Answer, header); // no payload: the profile byte never came
}

TEST_F(VirtualMouseTest, AStalledTransferWaitsUntilTheFaultIsCleared) {
    Win32Platform platform;
    TuiHIDData hid(platform.Platform());
    ASSERT_TRUE(VirtualMouse::SetFault(0, MouseFault::Stall));

    std::uint32_t result = 0xFFFFFFFF;
    std::thread caller([&] {
        auto set = Feature(2, 16, {0x02, 0x06, 0x01});
        result = hid.HidFindAndSetFeatureReport(*set);
    });
    // The transfer is held: nothing is recorded until the fault is cleared.
    EXPECT_TRUE(WaitUntil([] { return VirtualMouse::State()->Stalled == 1; }));
    EXPECT_TRUE(VirtualMouse::Transfers().empty());
    ASSERT_TRUE(VirtualMouse::SetFault(0, MouseFault::None));
    caller.join();
    EXPECT_EQ(result, 0u);
    ASSERT_EQ(VirtualMouse::Transfers().size(), 1u);
    EXPECT_EQ(VirtualMouse::State()->Mode, 1);
}

TEST_F(VirtualMouseTest, AnInjectedReportIsReadAndAnUnplugEndsAPendingRead) {
    auto device = Bus.Open(PathOf(VirtualMouse::VendorHardwareId), true);
    ASSERT_NE(device, nullptr);
    auto stop = Bus.CreateStopSignal();
    std::uint8_t buffer[8] = {};

    const std::uint32_t started = device->StartRead(buffer);
    ASSERT_TRUE(started == 0 || started == HidError::IoPending) << started;
    const Bytes button = {0x07, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    ASSERT_TRUE(VirtualMouse::SendInput(button));
    const HidReadResult read = device->WaitRead(*stop, 10000);
    ASSERT_EQ(read.Status, HidReadStatus::Completed);
    EXPECT_EQ(read.Error, 0u);
    EXPECT_EQ(read.BytesRead, 8u);
    EXPECT_EQ(Bytes(buffer, buffer + 8), button);

    ASSERT_EQ(device->StartRead(buffer), HidError::IoPending);
    ASSERT_TRUE(VirtualMouse::Unplug(true));
    const HidReadResult ended = device->WaitRead(*stop, 10000);
    EXPECT_EQ(ended.Status, HidReadStatus::Completed);
    EXPECT_NE(ended.Error, 0u); // wine answers ERROR_ACCESS_DENIED, Windows 1167
    EXPECT_FALSE(VirtualMouse::Plugged());
    EXPECT_TRUE(VirtualMouse::Plug());
}

} // namespace
} // namespace zq::test
