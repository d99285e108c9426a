// Device setup on a system without the mouse (wine): nothing matches, nothing
// changes, nothing fails loudly.

#include "platform/win32/Win32DeviceSetup.h"
#include "driver/DriverInstallation.h"
#include "platform/win32/Win32System.h"

#include <gtest/gtest.h>

namespace zq::win32 {
namespace {

TEST(Win32DeviceSetup, WithoutTheMouseNothingIsInstalledOrFound) {
    Win32DeviceSetup setup;
    Win32System system;
    if (auto walk = setup.WalkHidClassDevices()) {
        for (std::size_t i = 0; i < walk->Count(); ++i)
            EXPECT_FALSE(walk->Read(i).HardwareIds.empty());
    }
    TDriverInfo info;
    info.ServiceName = u"usbqfrt00001";
    info.FileName = u"usbqfrt00001.sys";
    info.InfFileName = u"usbqfrt00001.inf";
    DriverInstallation installation(setup, system, info, {u"HID\\VID_FFFF&PID_FFFE"},
                                    {u"USB\\VID_FFFF&PID_FFFE"});
    installation.HidInstallDriver(true);
    installation.HidInstallDriver(false);
    EXPECT_FALSE(installation.IsHIDDeviceExist());
    EXPECT_FALSE(installation.ISHIDDeviceExist(u"HID\\VID_FFFF&PID_FFFE"));
    EXPECT_FALSE(setup.WindowsFolder().empty());
}

} // namespace
} // namespace zq::win32
