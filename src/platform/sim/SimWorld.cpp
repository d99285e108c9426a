#include "platform/sim/SimWorld.h"

namespace zq::sim {

SimWorld::SimWorld(std::filesystem::path executableFolder)
    : Log([this] { return Loop.NowMs(); }), Desktop(Loop, Log),
      System(Log, std::move(executableFolder)), FPlatform{Loop, Desktop,  System,
                                                          Ini,  Registry, Locales} {}

} // namespace zq::sim
