#include "platform/sim/SimWorld.h"

namespace zq::sim {

SimWorld::SimWorld(std::filesystem::path executableFolder)
    : Log([this] { return Loop.NowMs(); }), Desktop(Loop, Log),
      System(Log, std::move(executableFolder)), Microphone(Log, Desktop), Driver(Loop, Log),
      Setup(Log), Hid(Loop, Log),
      DeviceNotifications(Loop), FPlatform{
                                     Loop,   Desktop, System,  Ini, Registry,           Microphone,
                                     Driver, Setup,   Locales, Hid, DeviceNotifications} {
    Hid.SetNotifications(&DeviceNotifications);
}

} // namespace zq::sim
