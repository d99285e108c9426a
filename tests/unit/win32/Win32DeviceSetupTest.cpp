// Device setup on a system without the mouse (wine): nothing matches, nothing
// changes, nothing fails loudly.

#include "platform/win32/Win32DeviceSetup.h"
#include "ImportPatch.h"
#include "driver/DriverInstallation.h"
#include "platform/win32/Win32System.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace zq::win32 {
namespace {

// The Windows folder as a Remote Desktop host gives it to a user: a folder of
// the user's own, not the one the system's drivers live in.
constexpr wchar_t PerUserWindowsFolder[] = L"C:\\users\\someone\\WINDOWS";

UINT WINAPI PerUserWindowsDirectory(LPWSTR buffer, UINT size) {
    const UINT length = static_cast<UINT>(std::wcslen(PerUserWindowsFolder));
    if (size <= length)
        return length + 1;
    std::wmemcpy(buffer, PerUserWindowsFolder, length + 1);
    return length;
}

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

TEST(Win32DeviceSetup, TheDriverGoesToTheSystemsWindowsFolderOnARemoteDesktopHost) {
    test::ImportPatch patch("kernel32.dll", "GetWindowsDirectoryW",
                            reinterpret_cast<void*>(&PerUserWindowsDirectory));
    ASSERT_TRUE(patch.Applied()) << "GetWindowsDirectoryW is not imported from kernel32.dll";
    wchar_t folder[MAX_PATH] = {};
    ASSERT_EQ(::GetWindowsDirectoryW(folder, MAX_PATH), std::wcslen(PerUserWindowsFolder));
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemWindowsDirectoryW(system, MAX_PATH);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(Win32DeviceSetup().WindowsFolder(),
              std::filesystem::path(std::wstring(system, length)));
}

} // namespace
} // namespace zq::win32
