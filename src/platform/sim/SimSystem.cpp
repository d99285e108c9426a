#include "platform/sim/SimSystem.h"

#include "platform/Text.h"

namespace zq::sim {

class SimSystem::SimMutex : public INamedMutex {
public:
    SimMutex(std::shared_ptr<std::set<std::u16string>> names, std::u16string name)
        : FNames(std::move(names)), FName(std::move(name)) {
        FNames->insert(FName);
    }
    ~SimMutex() override { FNames->erase(FName); }

private:
    std::shared_ptr<std::set<std::u16string>> FNames;
    std::u16string FName;
};

SimSystem::SimSystem(SimLog& log, std::filesystem::path executableFolder)
    : FLog(log), FMutexes(std::make_shared<std::set<std::u16string>>()) {
    SetExecutableFolder(std::move(executableFolder));
}

void SimSystem::SetExecutableFolder(std::filesystem::path folder) {
    // The program relies on the folder ending with a separator.
    if (!folder.empty() && folder.has_filename())
        folder += std::filesystem::path::preferred_separator;
    FExecutableFolder = std::move(folder);
}

void SimSystem::DebugOutput(const std::u16string& text) {
    FLog.Add("debug", ToUtf8(text));
}

bool SimSystem::NamedMutexExists(const std::u16string& name) {
    return FMutexes->count(name) != 0;
}

NamedMutexResult SimSystem::CreateNamedMutex(const std::u16string& name) {
    NamedMutexResult result;
    result.AlreadyExists = FMutexes->count(name) != 0;
    if (!result.AlreadyExists && !FMutexFails)
        result.Mutex = std::make_unique<SimMutex>(FMutexes, name);
    return result;
}

} // namespace zq::sim
