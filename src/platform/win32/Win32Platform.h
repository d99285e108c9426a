#pragma once
// Every Windows service of the seam in one object, as the program entry builds it.

#include "platform/Platform.h"
#include "platform/win32/Win32Audio.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32DeviceNotifications.h"
#include "platform/win32/Win32DeviceSetup.h"
#include "platform/win32/Win32DriverControl.h"
#include "platform/win32/Win32HidBus.h"
#include "platform/win32/Win32Ini.h"
#include "platform/win32/Win32Locales.h"
#include "platform/win32/Win32Loop.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32System.h"

namespace zq::win32 {

class Win32Platform {
public:
    Win32Platform()
        : FPlatform{Loop,   Desktop, System,  Ini, Registry,           Audio,
                    Driver, Setup,   Locales, Hid, DeviceNotifications} {}
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    zq::Platform& Platform() { return FPlatform; }

    Win32Loop Loop;
    Win32Desktop Desktop;
    Win32System System;
    Win32IniReader Ini;
    Win32Registry Registry;
    Win32Audio Audio;
    Win32DriverControl Driver;
    Win32DeviceSetup Setup;
    Win32Locales Locales;
    Win32HidBus Hid;
    Win32DeviceNotifications DeviceNotifications;

private:
    zq::Platform FPlatform;
};

} // namespace zq::win32
