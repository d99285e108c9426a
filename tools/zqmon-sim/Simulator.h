#pragma once
// The monitor over the simulated world, driven by commands on virtual time:
// the mouse (plug, unplug, its profile and CPI state, button and status
// reports), the configuration program (present or not, its messages, profiles
// it stores), the microphone, the tray menu and the clock. Every effect on the
// outside world is printed as one line "t=<ms> <channel> <details>" (with the
// Words option followed by an indented line saying it in words).

#include "app/MonitorSession.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimWorld.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zq::sim {

struct SimulatorOptions {
    // Seeds the monitor's registry key from this folder (a file per value, named
    // like the value, holding its bytes) and writes the key back at the end.
    std::optional<std::filesystem::path> RegistryFolder;
    // config.ini to run with.
    std::optional<std::filesystem::path> ConfigFile;
    // Each effect's line is followed by the effect in plain words, when the line
    // does not say it in words already.
    bool Words = false;
};

class Simulator {
public:
    // out receives the effects, errors the complaints about bad command lines.
    Simulator(const SimulatorOptions& options, std::ostream& out, std::ostream& errors);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Runs one command line; false once the monitor has ended (quit, Exit).
    bool Execute(const std::string& line);
    // Runs every line of the stream until the monitor ends, then ends it.
    void Run(std::istream& script);
    // Ends the monitor if it still runs; prints its exit and writes the registry back.
    void Finish();

    bool Running() const { return static_cast<bool>(FSession); }
    SimWorld& World() { return *FWorld; }

private:
    bool Command(const std::vector<std::string>& words);
    void Error(const std::string& text);
    void Seed();
    void WriteBack();
    void Bind(int profile, int button, int functionCode);

    std::filesystem::path FFolder; // the program's folder and the documents, removed at the end
    SimulatorOptions FOptions;
    std::ostream& FOut;
    std::ostream& FErrors;
    std::unique_ptr<SimWorld> FWorld;
    SimMouse* FMouse = nullptr;
    std::u16string FKey;
    std::unique_ptr<MonitorSession> FSession;
    int FLine = 0;
};

} // namespace zq::sim
