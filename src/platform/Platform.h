#pragma once
// The services of the operating system that the program uses, handed to its
// objects at construction. The program entry builds the Windows one; tests and
// the simulator build the simulated one.

#include "platform/Desktop.h"
#include "platform/DeviceNotifications.h"
#include "platform/HidBus.h"
#include "platform/IniFile.h"
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
    IHidBus& Hid;
    IDeviceNotifications& DeviceNotifications;
};

} // namespace zq
