#pragma once
// The whole simulated world in one object: the loop and its virtual clock, the
// log of outside effects, and a simulated stand-in for every service.

#include "platform/FixedLocales.h"
#include "platform/Platform.h"
#include "platform/PortableIni.h"
#include "platform/sim/RecordingDriver.h"
#include "platform/sim/SimDesktop.h"
#include "platform/sim/SimDeviceNotifications.h"
#include "platform/sim/SimDeviceSetup.h"
#include "platform/sim/SimHidBus.h"
#include "platform/sim/SimLog.h"
#include "platform/sim/SimLoop.h"
#include "platform/sim/SimMicrophone.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimSystem.h"

#include <filesystem>

namespace zq::sim {

class SimWorld {
public:
    // The executable folder is where the program looks for config.ini and its
    // other files; tests point it at a folder of their own.
    explicit SimWorld(std::filesystem::path executableFolder);

    zq::Platform& Platform() { return FPlatform; }

    SimLoop Loop;
    SimLog Log;
    SimDesktop Desktop;
    SimSystem System;
    PortableIniReader Ini;
    SimRegistry Registry;
    SimMicrophone Microphone;
    RecordingDriver Driver;
    SimDeviceSetup Setup;
    FixedLocales Locales;
    // The HID bus starts empty: tests and the simulator add their mice.
    SimHidBus Hid;
    SimDeviceNotifications DeviceNotifications;

private:
    zq::Platform FPlatform;
};

} // namespace zq::sim
