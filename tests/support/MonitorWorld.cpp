#include "support/MonitorWorld.h"

#include "profiles/FactoryDefaults.h"
#include "profiles/MemoryStream.h"

#include <cstring>
#include <fstream>

namespace zq::test {

namespace {
std::filesystem::path ProgramFolderOf(const TempFolder& folder) {
    auto program = folder.Path() / "program";
    std::filesystem::create_directories(program);
    program += std::filesystem::path::preferred_separator;
    return program;
}
} // namespace

MonitorWorld::MonitorWorld()
    : ProgramFolder(ProgramFolderOf(Folder)), World(ProgramFolder),
      FSavedUsage(DeviceUsageAndPage) {
    const auto documents = Folder.Path() / "Documents";
    std::filesystem::create_directories(documents);
    World.System.SetDocumentsFolder(documents);
}

MonitorWorld::~MonitorWorld() {
    Stop();
    DeviceUsageAndPage = FSavedUsage;
}

void MonitorWorld::WriteConfig(std::string_view content) const {
    std::ofstream out(ProgramFolder / "config.ini", std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

void MonitorWorld::StoreAllSettings(std::uint16_t currentGame, std::uint8_t currentLanguage) {
    auto settings = std::make_unique<TALLGAMESINFO>();
    std::memset(settings.get(), 0, sizeof(TALLGAMESINFO));
    settings->CurrentGame = currentGame;
    settings->CurrentLanguage = currentLanguage;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(settings.get());
    World.Registry.SetValue(RegistryRoot::CurrentUser, MonitorProfileKey, u"allsettings.pfd",
                            RegistryValue{REG_BINARY_, {bytes, bytes + sizeof(TALLGAMESINFO)}});
}

void MonitorWorld::StoreProfile(int index, const TMouseProfileInfo& profile) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&profile);
    World.Registry.SetValue(RegistryRoot::CurrentUser, MonitorProfileKey,
                            u"Profile" + std::u16string(1, static_cast<char16_t>(u'1' + index)) +
                                u".pfd",
                            RegistryValue{REG_BINARY_, {bytes, bytes + sizeof(TMouseProfileInfo)}});
}

sim::SimMouse& MonitorWorld::AddMouse() {
    return World.Hid.AddMouse();
}

MouseMonitor& MonitorWorld::Start() {
    Session = std::make_unique<MonitorSession>(World.Platform());
    DM = &Session->DM();
    Monitor = &Session->Monitor();
    return *Monitor;
}

void MonitorWorld::Stop() {
    Monitor = nullptr;
    DM = nullptr;
    Session.reset();
}

std::vector<std::string> MonitorWorld::Lines() const {
    std::vector<std::string> lines;
    for (const auto& effect : World.Log.Effects())
        lines.push_back(sim::SimLog::Format(effect));
    return lines;
}

} // namespace zq::test

namespace zq::test {

std::unique_ptr<TMouseProfileInfo> MonitorWorld::DefaultProfile(int index) {
    auto profile = std::make_unique<TMouseProfileInfo>();
    std::memset(profile.get(), 0, sizeof(TMouseProfileInfo));
    SetGameProfileDefaults(*profile, index + 1, 45000.0);
    return profile;
}

} // namespace zq::test
