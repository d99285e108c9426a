#pragma once
// The services of the operating system that the program uses, handed to its
// objects at construction. The program entry builds the Windows one; tests and
// the simulator build the simulated one.

#include "platform/Audio.h"
#include "platform/Desktop.h"
#include "platform/DeviceNotifications.h"
#include "platform/DeviceSetup.h"
#include "platform/DriverControl.h"
#include "platform/HidBus.h"
#include "platform/IniFile.h"
#include "platform/Locales.h"
#include "platform/MessageLoop.h"
#include "platform/Registry.h"
#include "platform/System.h"

namespace zq {

struct Platform {
    IMessageLoop& Loop;
    IDesktop& Desktop;
    ISystem& System;
    IIniReader& Ini;
    IRegistry& Registry;
    IAudio& Audio;
    IDriverControl& Driver;
    IDeviceSetup& Setup;
    ILocales& Locales;
    IHidBus& Hid;
    IDeviceNotifications& DeviceNotifications;
};

} // namespace zq
