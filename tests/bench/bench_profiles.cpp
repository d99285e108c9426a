// The profile manager's hot paths on the simulated registry: creation with every
// stored blob present (the usual start), and a profile switch (each profile report
// of the mouse). Goals: creation under 2 ms, a switch under 20 us.

#include "profiles/DMUnit.h"
#include "profiles/FactoryDefaults.h"
#include "support/ProfileWorld.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace zq;

// A world whose key holds all ten blobs the manager knows, as a configured
// installation has them.
void StoreTenBlobs(test::ProfileWorld& world) {
    auto group = std::make_unique<TProfileSettingGroup>();
    SetProfileSettingGroupDefaults(*group,
                                   {test::DefaultProfileKey, u"Profile", u"Profile", u"MacroDB"},
                                   test::ProfileWorld::FolderText(world.Documents / "Profile"));
    world.Store(ProfileSettingGroupName, test::BytesOf(*group));
    auto all = std::make_unique<TALLGAMESINFO>();
    SetAllGamesInfoDefaults(*all);
    world.Store(AllSettingsName, test::BytesOf(*all));
    world.Store(RecordMacroName, test::BytesOf(*std::make_unique<TMACROKEYINFO>()));
    auto profile = std::make_unique<TMouseProfileInfo>();
    for (int game = 1; game <= 5; ++game) {
        SetGameProfileDefaults(*profile, game, test::TestNow());
        world.Store(u"Profile" + std::u16string(1, static_cast<char16_t>(u'0' + game)) + u".pfd",
                    test::BytesOf(*profile));
    }
    world.Store(DefaultProfileName, test::BytesOf(*profile));
    SetTestProfileDefaults(*profile, test::TestNow());
    world.Store(TestProfileName, test::BytesOf(*profile));
}

void BM_CreateWithTenStoredBlobs(benchmark::State& state) {
    test::ProfileWorld world;
    StoreTenBlobs(world);
    for (auto _ : state) {
        auto dm = world.CreateDM();
        benchmark::DoNotOptimize(dm.get());
    }
    if (world.Registry.WriteCount() != 0)
        state.SkipWithError("creation wrote to the registry");
}
BENCHMARK(BM_CreateWithTenStoredBlobs)->Unit(benchmark::kMicrosecond);

void BM_SwitchToProfile(benchmark::State& state) {
    test::ProfileWorld world;
    StoreTenBlobs(world);
    const auto dm = world.CreateDM();
    std::int32_t profile = 0;
    for (auto _ : state) {
        dm->SwitchToProfile(profile);
        profile = (profile + 1) % ProfileCount;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SwitchToProfile)->Unit(benchmark::kMicrosecond);

} // namespace
