#include "support/MonitorWorld.h"

#include "profiles/FactoryDefaults.h"

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
    Folder.Write("program/config.ini", content);
}

void MonitorWorld::StoreAllSettings(std::uint16_t currentGame, std::uint8_t currentLanguage) {
    auto settings = std::make_unique<TALLGAMESINFO>();
    settings->CurrentGame = currentGame;
    settings->CurrentLanguage = currentLanguage;
    World.Registry.SetValue(RegistryRoot::CurrentUser, DefaultProfileKey, u"allsettings.pfd",
                            RegistryValue{REG_BINARY_, BytesOf(*settings)});
}

void MonitorWorld::StoreProfile(int index, const TMouseProfileInfo& profile) {
    World.Registry.SetValue(RegistryRoot::CurrentUser, DefaultProfileKey,
                            u"Profile" + std::u16string(1, static_cast<char16_t>(u'1' + index)) +
                                u".pfd",
                            RegistryValue{REG_BINARY_, BytesOf(profile)});
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

std::unique_ptr<TMouseProfileInfo> MonitorWorld::DefaultProfile(int index) {
    auto profile = std::make_unique<TMouseProfileInfo>();
    SetGameProfileDefaults(*profile, index + 1, 45000.0);
    return profile;
}

} // namespace zq::test
