#pragma once
// The whole monitor on the simulated world: a folder of its own for the program's
// files and the user's documents, the profile manager over the simulated
// registry, and the main window with all its components. Tests arrange the
// world (config.ini, stored settings, mice), start the monitor, act, and read
// what the outside world saw from the log.

#include "app/MonitorSession.h"
#include "platform/sim/SimWorld.h"
#include "profiles/DMUnit.h"
#include "profiles/DeviceUsage.h"
#include "profiles/ProfileRecords.h"
#include "support/ProfileWorld.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zq::test {

class MonitorWorld {
public:
    MonitorWorld();
    ~MonitorWorld();
    MonitorWorld(const MonitorWorld&) = delete;
    MonitorWorld& operator=(const MonitorWorld&) = delete;

    // Before the start.
    void WriteConfig(std::string_view content) const;
    // Settings across profiles as the configuration program stores them.
    void StoreAllSettings(std::uint16_t currentGame, std::uint8_t currentLanguage);
    // A profile as the configuration program stores it (Profile1.pfd ... Profile5.pfd).
    void StoreProfile(int index, const TMouseProfileInfo& profile);
    // The factory profile of a game, to change a field or two and store.
    static std::unique_ptr<TMouseProfileInfo> DefaultProfile(int index);
    sim::SimMouse& AddMouse();

    // Creates the profile manager and the main window, as the program does.
    MouseMonitor& Start();
    // Destroys the main window (its shutdown runs) and the profile manager.
    void Stop();

    // Lines of one channel of the log, in order.
    std::vector<std::string> Channel(const std::string& name) const {
        return World.Log.Channel(name);
    }

    TempFolder Folder;
    std::filesystem::path ProgramFolder;
    sim::SimWorld World;
    std::unique_ptr<MonitorSession> Session;
    // The session's profile manager and main window, while it runs.
    TDM* DM = nullptr;
    MouseMonitor* Monitor = nullptr;

private:
    USAGE_AND_PAGE FSavedUsage;
};

} // namespace zq::test
