// The profile manager over stored values of any name, size, type and content: it
// is created, switches profiles and groups, reloads, and runs its defaults. It must
// neither crash nor trip a sanitizer, and the current group and profile must stay
// valid whatever was stored.
//
// Profile entries stored in files are pointed into a sandbox folder before they are
// stored, since creating the manager writes missing profile files.

#include "platform/PortableIni.h"
#include "platform/sim/SimLog.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimSystem.h"
#include "profiles/DMUnit.h"
#include "profiles/FactoryDefaults.h"
#include "support/ProfileWorld.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace zq;

const std::u16string Names[] = {
    ProfileSettingGroupName, AllSettingsName, RecordMacroName, u"Profile1.pfd",    u"Profile2.pfd",
    u"Profile3.pfd",         u"Profile4.pfd", u"Profile5.pfd", DefaultProfileName, TestProfileName};

struct Sandbox {
    Sandbox() {
        std::filesystem::create_directories(Program);
        std::filesystem::create_directories(Files);
    }
    // Removes the profile files a run wrote. The documents folders stay: runs only
    // ever create the same few there.
    void Clean() const {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(Files, ec))
            std::filesystem::remove_all(entry.path(), ec);
    }
    zq::test::TempFolder Root;
    std::filesystem::path Program = Root.Path() / "program";
    std::filesystem::path Documents = Root.Path() / "documents";
    std::filesystem::path Files = Root.Path() / "files";
};

Sandbox& TheSandbox() {
    static Sandbox sandbox;
    return sandbox;
}

// Every file-stored entry of a group settings blob gets the sandbox as its folder,
// and file names lose their separators, so no file outside the sandbox is written.
void ConfineFileEntries(std::vector<std::uint8_t>& blob) {
    const std::u16string folder = TheSandbox().Files.u16string();
    for (int i = 0; i < ProfileCount; ++i) {
        const std::size_t entry =
            offsetof(TProfileSettingGroup, ProfileSettingList) + sizeof(TPROFILELOCATION) * i;
        const std::size_t kind = entry + offsetof(TPROFILELOCATION, StorageKind);
        if (kind >= blob.size() || blob[kind] != StorageInFile)
            continue;
        // The location's texts lie before its kind, so the blob holds them whole.
        auto location = std::make_unique<TPROFILELOCATION>();
        std::memcpy(location.get(), blob.data() + entry, offsetof(TPROFILELOCATION, StorageKind));
        location->FilePath.Set(folder);
        for (std::size_t u = 0; u < decltype(location->FileName)::MaxLength + 1; ++u) {
            const char16_t unit = location->FileName.Units[u];
            if (unit == u'/' || unit == u'\\' || unit == u':')
                location->FileName.Units[u] = u'_';
        }
        std::memcpy(blob.data() + entry, location.get(), offsetof(TPROFILELOCATION, StorageKind));
    }
}

// A stored value: raw bytes, or a record of the name's size with a few bytes changed.
RegistryValue MakeValue(FuzzedDataProvider& input, const std::u16string& name) {
    RegistryValue value;
    const std::uint32_t types[] = {REG_BINARY_, REG_BINARY_, REG_BINARY_, REG_SZ_, REG_DWORD_};
    value.Type = input.ConsumeBool() ? input.PickValueInArray(types)
                                     : input.ConsumeIntegral<std::uint32_t>();
    if (input.ConsumeBool()) {
        value.Data =
            input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 4096));
    } else {
        std::size_t size = sizeof(TMouseProfileInfo);
        if (name == ProfileSettingGroupName)
            size = sizeof(TProfileSettingGroup);
        else if (name == AllSettingsName)
            size = sizeof(TALLGAMESINFO);
        else if (name == RecordMacroName)
            size = sizeof(TMACROKEYINFO);
        size += input.ConsumeIntegralInRange<int>(-8, 8);
        value.Data.assign(size, input.ConsumeIntegral<std::uint8_t>());
        const int changes = input.ConsumeIntegralInRange(0, 16);
        for (int i = 0; i < changes && !value.Data.empty(); ++i) {
            const std::size_t at =
                input.ConsumeIntegralInRange<std::size_t>(0, value.Data.size() - 1);
            const auto bytes = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange(1, 8));
            for (std::size_t b = 0; b < bytes.size() && at + b < value.Data.size(); ++b)
                value.Data[at + b] = bytes[b];
        }
    }
    if (name == ProfileSettingGroupName)
        ConfineFileEntries(value.Data);
    return value;
}

void StoreSomething(FuzzedDataProvider& input, sim::SimRegistry& registry) {
    const std::u16string name = input.PickValueInArray(Names);
    registry.SetValue(RegistryRoot::CurrentUser, zq::test::DefaultProfileKey, name,
                      MakeValue(input, name));
}

void CheckCurrentState(const TDM& dm) {
    if (!TDM::IsProfileIndexInRange(dm.FProfileIndex) ||
        !TDM::IsProfileGroupIndexInRange(dm.FProfileGroupIndex))
        __builtin_trap();
}

void RunOperation(FuzzedDataProvider& input, TDM& dm, sim::SimRegistry& registry) {
    switch (input.ConsumeIntegralInRange(0, 13)) {
    case 0:
        dm.SwitchToProfile(input.ConsumeIntegralInRange(-2, 7));
        break;
    case 1:
        dm.SwitchToProfileGroup(input.ConsumeIntegralInRange(-1, 3));
        break;
    case 2:
        dm.LoadAllProfileInfoFromRegistry();
        break;
    case 3:
        dm.LoadCurrentProfileInfoFromRegistry();
        break;
    case 4:
        dm.RestoreCurrentProfileInfoToDefault();
        break;
    case 5:
        dm.RestoreAllProfileInfoToDefault();
        break;
    case 6:
        dm.RestoreProfileInfoToDefault(input.ConsumeIntegralInRange(-1, 6));
        break;
    case 7:
        dm.RestoreProfileGroupToDefault(input.ConsumeIntegralInRange(-1, 3));
        break;
    case 8:
        dm.InitTestDefaultValue();
        break;
    case 9:
        dm.RestoreToDefaultCPISetting();
        dm.RestoreToDefaultLightAndReportAdvancedSetting();
        break;
    case 10:
        dm.GetAllProfilesMacroIndexList();
        break;
    case 11:
        StoreSomething(input, registry);
        break;
    case 12:
        dm.LoadProfileGroupSettingInfoFromRegistry();
        break;
    default:
        dm.LoadProfileInfoFromRegistry(input.ConsumeIntegralInRange(0, 4));
        dm.LoadRecordMacroInfoFromRegistry();
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Sandbox& sandbox = TheSandbox();
    FuzzedDataProvider input(data, size);

    sim::SimLog log([] { return std::uint64_t{0}; });
    sim::SimRegistry registry;
    sim::SimSystem system(log, sandbox.Program);
    PortableIniReader ini;
    // Now and then the documents folder is unknown.
    if (input.ConsumeIntegralInRange(0, 7) != 0)
        system.SetDocumentsFolder(sandbox.Documents);

    const int stored = input.ConsumeIntegralInRange(0, 12);
    for (int i = 0; i < stored; ++i)
        StoreSomething(input, registry);

    {
        const auto dm = std::make_unique<TDM>(registry, system, ini, [] { return 45000.5; });
        CheckCurrentState(*dm);
        for (int step = 0; step < 32 && input.remaining_bytes() > 0; ++step) {
            try {
                RunOperation(input, *dm, registry);
            } catch (const EProfileStorageError&) {
                // Reported to the configuration side's caller, as documented.
            }
            CheckCurrentState(*dm);
        }
    }
    sandbox.Clean();
    return 0;
}
