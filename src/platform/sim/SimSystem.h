#pragma once
// Fixed system facts for the simulated world, named mutexes shared by every
// program started in it, and the debugger output as a log channel.

#include "platform/System.h"
#include "platform/sim/SimLog.h"

#include <filesystem>
#include <memory>
#include <set>
#include <string>

namespace zq::sim {

class SimSystem : public ISystem {
public:
    SimSystem(SimLog& log, std::filesystem::path executableFolder);

    OsVersion GetOsVersion() override { return FVersion; }
    SystemArchitecture GetArchitecture() override { return FArchitecture; }
    std::filesystem::path ExecutableFolder() override { return FExecutableFolder; }
    std::filesystem::path DocumentsFolder() override { return FDocumentsFolder; }
    void DebugOutput(const std::u16string& text) override;
    bool NamedMutexExists(const std::u16string& name) override;
    NamedMutexResult CreateNamedMutex(const std::u16string& name) override;

    void SetOsVersion(const OsVersion& version) { FVersion = version; }
    void SetArchitecture(const SystemArchitecture& architecture) { FArchitecture = architecture; }
    void SetExecutableFolder(std::filesystem::path folder);
    void SetDocumentsFolder(std::filesystem::path folder) { FDocumentsFolder = std::move(folder); }
    // Makes mutex creation fail, as it may on a locked-down system.
    void SetMutexCreationFails(bool fails) { FMutexFails = fails; }

private:
    class SimMutex;

    SimLog& FLog;
    std::filesystem::path FExecutableFolder;
    std::filesystem::path FDocumentsFolder;
    OsVersion FVersion;
    SystemArchitecture FArchitecture;
    std::shared_ptr<std::set<std::u16string>> FMutexes;
    bool FMutexFails = false;
};

} // namespace zq::sim
