// The simulated mouse as the platform would present it: interfaces, hardware
// identifiers, plug and unplug, and what its firmware records.
#include "platform/Guid.h"
#include "platform/sim/SimWorld.h"

#include <gtest/gtest.h>

namespace zq::sim {
namespace {

TEST(Guid, TextFormBothWays) {
    const auto guid = ParseGuid(u"{4D1E55B2-f16f-11CF-88cb-001111000030}");
    ASSERT_TRUE(guid);
    EXPECT_EQ(*guid, HidInterfaceClassGuid);
    EXPECT_EQ(GuidToText(*guid), u"{4d1e55b2-f16f-11cf-88cb-001111000030}");
    for (const char16_t* bad :
         {u"", u"4d1e55b2-f16f-11cf-88cb-001111000030", u"{4d1e55b2-f16f-11cf-88cb-00111100003}",
          u"{4d1e55b2-f16f-11cf-88cb-0011110000300}", u"{4d1e55b2-f16f-11cf-88cb-00111100003g}",
          u"{4d1e55b2f16f-11cf-88cb-001111000030}"})
        EXPECT_FALSE(ParseGuid(bad));
}

TEST(SimMouse, InterfacesCarryWindowsFormIdentifiers) {
    SimWorld world("/nonexistent/");
    auto& first = world.Hid.AddMouse();
    auto& second = world.Hid.AddMouse();
    const auto list = world.Hid.Enumerate(HidInterfaceClassGuid);
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[2].Path, first.Path(SimVendorCollection));
    EXPECT_EQ(first.HardwareIds(SimVendorCollection),
              (std::vector<std::u16string>{u"HID\\VID_7A51&PID_0C01&REV_0100&MI_01&Col02",
                                           u"HID\\VID_7A51&PID_0C01&MI_01&Col02",
                                           u"HID_DEVICE_UP:FFA0_U:0001", u"HID_DEVICE"}));
    EXPECT_EQ(first.HardwareIds(SimMouseCollection)[1], u"HID\\VID_7A51&PID_0C01&MI_00");
    EXPECT_EQ(first.Path(SimVendorCollection),
              u"\\\\?\\hid#vid_7a51&pid_0c01&mi_01&col02#8&00000001&0&0002#"
              u"{4d1e55b2-f16f-11cf-88cb-001111000030}");
    EXPECT_NE(first.Path(SimVendorCollection), second.Path(SimVendorCollection));
    EXPECT_TRUE(world.Hid.Enumerate(Guid{}).empty()); // another interface class
}

TEST(SimMouse, UnpluggedMiceAreNeitherListedNorOpened) {
    SimWorld world("/nonexistent/");
    auto& mouse = world.Hid.AddMouse();
    auto handle = world.Hid.Open(mouse.Path(SimVendorCollection), false);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->Caps(), (HidCaps{0xFFA0, 0x0001, 8, 0, 4096}));
    mouse.Unplug();
    EXPECT_TRUE(world.Hid.Enumerate(HidInterfaceClassGuid).empty());
    EXPECT_EQ(world.Hid.Open(mouse.Path(SimVendorCollection), false), nullptr);
    std::vector<std::uint8_t> report(4096, 0);
    report[0] = 2;
    report[1] = 6;
    report[2] = 1;
    EXPECT_EQ(handle->SetFeature(report), HidError::DeviceNotConnected); // the old handle is dead
    mouse.Plug();
    EXPECT_EQ(handle->SetFeature(report), HidError::DeviceNotConnected);
    EXPECT_NE(world.Hid.Open(mouse.Path(SimVendorCollection), false), nullptr);
    handle.reset();
    EXPECT_EQ(world.Hid.OpenHandleCount(), 0u);
}

TEST(SimMouse, FirmwareKeepsTheModeAndRecordsWhatItReceived) {
    SimWorld world("/nonexistent/");
    auto& mouse = world.Hid.AddMouse();
    auto handle = world.Hid.Open(mouse.Path(SimVendorCollection), false);
    // Buffers hold the collection's longest feature report; the firmware sees
    // the addressed report's own 16 bytes.
    std::vector<std::uint8_t> mode(4096, 0);
    mode[0] = 2;
    mode[1] = 0x86; // bit 7 of the command byte is ignored
    world.Loop.AdvanceBy(25);
    ASSERT_EQ(handle->SetFeature(mode), 0u);
    EXPECT_EQ(mouse.Mode(), 0);
    EXPECT_EQ(mouse.FeatureReportsReceived(),
              (std::vector<std::vector<std::uint8_t>>{
                  {2, 0x86, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}));
    EXPECT_EQ(world.Log.Effects().back(), (Effect{25, "hid-set", "028600" + std::string(26, '0')}));
    std::vector<std::uint8_t> get(4096, 0xEE);
    get[0] = 2;
    ASSERT_EQ(handle->GetFeature(get), 0u); // no query pending: zeros
    std::vector<std::uint8_t> zeros(4096, 0);
    zeros[0] = 2;
    EXPECT_EQ(get, zeros); // the rest of the buffer is zero, not what the caller left
    EXPECT_EQ(world.Log.Channel("hid-get"),
              (std::vector<std::string>{"02" + std::string(30, '0')}));
}

TEST(SimMouse, FeatureBuffersShorterThanTheCollectionsLengthOrOfUnknownReportsAreRefused) {
    SimWorld world("/nonexistent/");
    auto& mouse = world.Hid.AddMouse();
    auto handle = world.Hid.Open(mouse.Path(SimVendorCollection), false);
    std::vector<std::uint8_t> shortBuffer(16, 0);
    shortBuffer[0] = 2;
    EXPECT_EQ(handle->SetFeature(shortBuffer), HidError::InvalidUserBuffer);
    EXPECT_EQ(handle->GetFeature(shortBuffer), HidError::InvalidUserBuffer);
    std::vector<std::uint8_t> unknown(4096, 0);
    unknown[0] = 9;
    EXPECT_EQ(handle->SetFeature(unknown), HidError::InvalidParameter);
    EXPECT_TRUE(mouse.FeatureReportsReceived().empty());
    EXPECT_TRUE(world.Log.Channel("hid-set").empty());
}

} // namespace
} // namespace zq::sim
