#include "platform/sim/SimWorld.h"

namespace zq::sim {

SimWorld::SimWorld(std::filesystem::path executableFolder)
    : Log([this] { return Loop.NowMs(); }), Desktop(Loop, Log),
      System(Log, std::move(executableFolder)), Hid(Loop, Log), DeviceNotifications(Loop),
      FPlatform{Loop, Desktop, System, Ini, Registry, Hid, DeviceNotifications} {
    Hid.SetNotifications(&DeviceNotifications);
}

} // namespace zq::sim
