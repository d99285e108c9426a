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
    const std::uint8_t report[16] = {2, 6, 1};
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
    std::uint8_t mode[16] = {2, 0x86, 0}; // bit 7 of the command byte is ignored
    world.Loop.AdvanceBy(25);
    ASSERT_EQ(handle->SetFeature(mode), 0u);
    EXPECT_EQ(mouse.Mode(), 0);
    EXPECT_EQ(mouse.FeatureReportsReceived().size(), 1u);
    EXPECT_EQ(world.Log.Effects().back(), (Effect{25, "hid-set", "028600" + std::string(26, '0')}));
    std::uint8_t get[16] = {2};
    ASSERT_EQ(handle->GetFeature(get), 0u); // no query pending: zeros
    EXPECT_EQ(world.Log.Channel("hid-get"),
              (std::vector<std::string>{"02" + std::string(30, '0')}));
}

} // namespace
} // namespace zq::sim
