// Golden bytes of every default: each expectation is built from the stored layout's
// offsets, over a record full of a pattern, so that every byte a default must not
// touch is checked as well.

#include "profiles/FactoryDefaults.h"
#include "support/ProfileWorld.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

// Packed record fields are read by value (unary +) in assertions: the assertion
// macros take references, which a packed field cannot safely give.

namespace zq::test {
namespace {

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 131 + 17) >> 3);
    return bytes;
}

template <typename Record> std::unique_ptr<Record> RecordFrom(const std::vector<std::uint8_t>& b) {
    auto record = std::make_unique<Record>();
    std::memcpy(record.get(), b.data(), sizeof(Record));
    return record;
}

// The first differing offset, for a readable failure.
::testing::AssertionResult SameBytes(const std::vector<std::uint8_t>& actual,
                                     const std::vector<std::uint8_t>& expected) {
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure()
               << "size " << actual.size() << ", expected " << expected.size();
    for (std::size_t i = 0; i < actual.size(); ++i)
        if (actual[i] != expected[i])
            return ::testing::AssertionFailure()
                   << "byte " << i << " is " << int(actual[i]) << ", expected " << int(expected[i]);
    return ::testing::AssertionSuccess();
}

// Offsets inside a profile.
constexpr std::size_t Button(int a) {
    return 872 + 4168 * static_cast<std::size_t>(a);
}
constexpr std::size_t VWheelSpeed = 75900, DoubleClickSpeed = 75904, PointerSpeed = 75906,
                      PointerAcceleration = 75908, ReportRate = 75912, CurrentCPIIndex = 75916,
                      UseDiffentXY = 75928, CPIState = 75952, CPILevel = 76062, LED = 86326,
                      ButtonCount = 86336, MacroCount = 90000 + 26880;

void PokeFunction(std::vector<std::uint8_t>& b, int a, int type, int code, int group, int id) {
    Poke16(b, Button(a) + 4150, static_cast<std::uint16_t>(code));
    Poke8(b, Button(a) + 4152, static_cast<std::uint8_t>(type));
    Poke32(b, Button(a) + 4156, group);
    Poke32(b, Button(a) + 4160, id);
}

// A game entry: its index too.
void PokeGameButton(std::vector<std::uint8_t>& b, int a, int type, int code, int group, int id) {
    Poke16(b, Button(a) + 4148, static_cast<std::uint16_t>(a));
    PokeFunction(b, a, type, code, group, id);
}

void PokeConsumer(std::vector<std::uint8_t>& b, int a, std::uint16_t usage) {
    Poke16(b, Button(a) + 140, usage & 0xFF);
    Poke16(b, Button(a) + 142, usage >> 8);
}

void PokeSingleKey(std::vector<std::uint8_t>& b, int a, int vk, int extended,
                   std::u16string_view text) {
    Poke16(b, Button(a) + 2, static_cast<std::uint16_t>(vk));
    Poke16(b, Button(a) + 4, static_cast<std::uint16_t>(extended));
    PokeText(b, Button(a) + 6, text);
}

void PokeCombo(std::vector<std::uint8_t>& b, int a, int modifier, int vk,
               std::u16string_view text) {
    Poke16(b, Button(a) + 68, static_cast<std::uint16_t>(vk));
    Poke16(b, Button(a) + 76, static_cast<std::uint16_t>(modifier));
    PokeText(b, Button(a) + 78, text);
}

void PokeCPI(std::vector<std::uint8_t>& b, int level, int cpi, int enabled) {
    Poke16(b, CPIState + 10 * level, static_cast<std::uint16_t>(cpi));
    Poke16(b, CPIState + 10 * level + 2, static_cast<std::uint16_t>(cpi));
    Poke16(b, CPIState + 10 * level + 4, static_cast<std::uint16_t>(enabled));
}

std::vector<std::uint8_t> ExpectedGame(std::vector<std::uint8_t> b, int game) {
    Poke32(b, 0, 259);
    PokeDouble(b, 64, TestNow());
    Poke32(b, ButtonCount, 13);
    for (int a = 0; a < 14; ++a)
        Fill(b, Button(a), 4148, 0);
    PokeGameButton(b, 0, 1, 0, 1, 1);
    PokeGameButton(b, 1, 1, 1, 2, 2);
    PokeGameButton(b, 2, 1, 2, 3, 3);
    PokeGameButton(b, 13, 1, 43, 13, 14);

    if (game == 1) {
        PokeGameButton(b, 3, 10, 35, 14, 1007);
        PokeConsumer(b, 3, 0x00E2);
        PokeGameButton(b, 4, 10, 33, 14, 1005);
        PokeConsumer(b, 4, 0x00E9);
        PokeGameButton(b, 5, 10, 34, 14, 1006);
        PokeConsumer(b, 5, 0x00EA);
        PokeGameButton(b, 6, 8, 5, 16, 6);
        PokeSingleKey(b, 6, 39, 1, u"FAST FORWARD");
        PokeGameButton(b, 7, 8, 5, 16, 6);
        PokeSingleKey(b, 7, 37, 1, u"REWIND");
        PokeGameButton(b, 8, 10, 32, 14, 1004);
        PokeConsumer(b, 8, 0x00B5);
        PokeGameButton(b, 9, 10, 31, 14, 1003);
        PokeConsumer(b, 9, 0x00B6);
        PokeGameButton(b, 10, 10, 29, 14, 1001);
        PokeConsumer(b, 10, 0x00CD);
    } else if (game == 2) {
        const std::pair<int, int> combos[] = {{2, 87}, {2, 107}, {2, 109}, {6, 9}, {2, 9}};
        const std::u16string_view texts[] = {u"CLOSE TAB", u"ZOOM IN", u"ZOOM OUT", u"PREVIOUS TAB",
                                             u"NEXT TAB"};
        for (int i = 0; i < 5; ++i) {
            PokeGameButton(b, 3 + i, 3, 6, 15, 7);
            PokeCombo(b, 3 + i, combos[i].first, combos[i].second, texts[i]);
        }
        PokeGameButton(b, 8, 10, 23, 14, 909);
        PokeConsumer(b, 8, 0x0225);
        PokeGameButton(b, 9, 10, 22, 14, 908);
        PokeConsumer(b, 9, 0x0224);
        PokeGameButton(b, 10, 10, 25, 14, 911);
        PokeConsumer(b, 10, 0x0227);
    } else {
        PokeGameButton(b, 3, 13, 38, 25, 12);
        Poke16(b, Button(3) + 4068, 3);
        Poke16(b, Button(3) + 4070, 1);
        Poke16(b, Button(3) + 4072, 129);
        PokeGameButton(b, 4, 1, 45, 23, 1501);
        PokeGameButton(b, 5, 1, 46, 24, 1502);
        PokeGameButton(b, 6, 1, 41, 10, 1302);
        PokeGameButton(b, 7, 1, 42, 9, 1303);
        const int modifiers[] = {164, 162, 160};
        for (int i = 0; i < 3; ++i) {
            PokeGameButton(b, 8 + i, 8, 5, 16, 6);
            PokeSingleKey(b, 8 + i, modifiers[i], 0, u"");
        }
        PokeGameButton(b, 11, 1, 3, 5, 4);
        PokeGameButton(b, 12, 1, 4, 4, 5);
    }
    if (game == 1 || game == 2) {
        PokeGameButton(b, 11, 3, 16, 15, 902);
        PokeCombo(b, 11, 1, 115, u"");
        PokeGameButton(b, 12, 3, 19, 15, 905);
        PokeCombo(b, 12, 8, 68, u"");
    }

    Poke16(b, VWheelSpeed, 3);
    Poke16(b, DoubleClickSpeed, 550);
    Poke16(b, PointerSpeed, 10);
    Poke16(b, PointerAcceleration, 0);
    Poke16(b, ReportRate, 500);
    Poke16(b, CPILevel, 5);
    const std::uint8_t colours[5][3] = {
        {255, 255, 0}, {0, 255, 0}, {0, 0, 255}, {255, 0, 255}, {255, 0, 0}};
    for (int c = 0; c < 3; ++c)
        Poke8(b, LED + c, colours[game - 1][c]);
    Poke8(b, LED + 3, 2);
    Poke8(b, LED + 4, 3);
    Poke32(b, CurrentCPIIndex, game - 1);
    const int levels[] = {400, 800, 1600, 3200, 4000};
    for (int i = 0; i < 5; ++i) {
        PokeCPI(b, i, levels[i], 1);
        Poke16(b, UseDiffentXY + 2 * i, 1);
    }
    return b;
}

class FactoryDefaultsTest : public ::testing::Test {
protected:
    FactoryDefaultsTest() : DM(World.CreateDM()) {}
    ProfileWorld World;
    std::unique_ptr<TDM> DM;
};

TEST_F(FactoryDefaultsTest, EveryGameHandlerWritesOnlyItsFields) {
    const auto before = Pattern(sizeof(TMouseProfileInfo));
    for (int game = 1; game <= 5; ++game) {
        SCOPED_TRACE("game " + std::to_string(game));
        ASSERT_TRUE(DM->SaveBackToProfileInfo(*RecordFrom<TMouseProfileInfo>(before), game - 1));
        ASSERT_TRUE(DM->RestoreProfileInfoToDefault(game - 1));
        EXPECT_TRUE(
            SameBytes(StreamBytes(*DM->FProfileGroup[game - 1]), ExpectedGame(before, game)));
        EXPECT_TRUE(DM->IsProfileChanged(game - 1));
    }
}

TEST_F(FactoryDefaultsTest, DefaultGameIsGame1OverTheEmptyBlockAndTestProfileStartsFromZero) {
    const auto pattern = Pattern(sizeof(TMouseProfileInfo));
    std::memcpy(&DM->FTestProfileInfo, pattern.data(), pattern.size());
    DM->InitTestDefaultValue();

    EXPECT_TRUE(SameBytes(BytesOf(DM->FDefaultProfileInfo),
                          ExpectedGame(std::vector<std::uint8_t>(sizeof(TMouseProfileInfo)), 1)));

    std::vector<std::uint8_t> b(sizeof(TMouseProfileInfo));
    Poke32(b, 0, 259);
    PokeDouble(b, 64, TestNow());
    Poke32(b, ButtonCount, 15);
    const int rows[5][2] = {{1, 1}, {2, 2}, {3, 3}, {5, 4}, {4, 5}};
    for (int a = 0; a < 5; ++a)
        PokeFunction(b, a, 1, a, rows[a][0], rows[a][1]);
    for (int k = 5; k < 14; ++k) {
        PokeFunction(b, k, 11, 14, 19, 0);
        const std::uint32_t mask = 1u << k;
        for (int i = 0; i < 3; ++i)
            Poke8(b, Button(k) + 4064 + i, static_cast<std::uint8_t>(mask >> (8 * i)));
    }
    EXPECT_EQ(Peek16(b, Button(5) + 4064), 0x0020);
    EXPECT_EQ(Peek16(b, Button(8) + 4065), 0x0001);
    EXPECT_EQ(b[Button(13) + 4065], 0x20);
    Poke16(b, VWheelSpeed, 3);
    Poke16(b, DoubleClickSpeed, 550);
    Poke16(b, PointerSpeed, 10);
    Poke16(b, ReportRate, 125);
    Poke16(b, CPILevel, 5);
    Poke8(b, LED, 255);
    Poke8(b, LED + 3, 2);
    Poke8(b, LED + 4, 2);
    const int levels[] = {1000, 2000, 4000, 8200, 16400};
    for (int i = 0; i < 5; ++i) {
        PokeCPI(b, i, levels[i], 1);
        Poke16(b, UseDiffentXY + 2 * i, 1);
    }
    Poke16(b, MacroCount, 0);
    EXPECT_TRUE(SameBytes(BytesOf(DM->FTestProfileInfo), b));

    // Nothing of the two is stored.
    EXPECT_FALSE(World.Stored(TestProfileName));
    EXPECT_FALSE(World.Stored(DefaultProfileName));
    EXPECT_EQ(DM->uiProfileTest.FileName(), TestProfileName);
    EXPECT_EQ(DM->uiProfileDefaultGame.KeyPath(), DefaultProfileKey);
}

TEST_F(FactoryDefaultsTest, GameDefaultsLengthenAShortStreamAndKeepItsBytes) {
    const auto stored = Pattern(100);
    World.Store(u"Profile1.pfd", stored);
    const auto dm = World.CreateDM();
    ASSERT_EQ(dm->uiProfileGame1.Stream().Size(), 100);
    dm->RestoreProfileInfoToDefault(0);
    std::vector<std::uint8_t> before(sizeof(TMouseProfileInfo));
    std::copy(stored.begin(), stored.end(), before.begin());
    EXPECT_TRUE(SameBytes(StreamBytes(dm->uiProfileGame1), ExpectedGame(before, 1)));
}

TEST_F(FactoryDefaultsTest, SettingsForAllProfilesWriteOnlyTheirFields) {
    const auto before = Pattern(sizeof(TALLGAMESINFO));
    std::memcpy(&DM->FAllProfileSettingInfo, before.data(), before.size());
    DM->SwitchToProfile(4);
    DM->SaveBackAllProfileSettingInfo();
    ASSERT_EQ(Peek16(World.Stored(AllSettingsName)->Data, 30950), 4);
    World.Registry.DeleteValue(RegistryRoot::CurrentUser, World.Key, AllSettingsName);

    DM->LoadAllProfileInfoFromRegistry();

    auto b = before;
    for (int i = 0; i < 5; ++i) {
        Poke16(b, 6190 * i, i == 0 ? 1 : 0);
        Poke16(b, 6190 * i + 2, 0);
        Poke8(b, 6190 * i + 6188, 0);
    }
    Poke16(b, 30950, 2);
    Poke8(b, 30952, 10);
    EXPECT_TRUE(SameBytes(World.Stored(AllSettingsName)->Data, b));
    EXPECT_EQ(+DM->FAllProfileSettingInfo.CurrentGame, 2);
    EXPECT_EQ(+DM->FAllProfileSettingInfo.CurrentLanguage, 10);
}

TEST_F(FactoryDefaultsTest, GroupSettingsWriteTextsWithTerminatorsAndMakeTheFolders) {
    const auto before = Pattern(sizeof(TProfileSettingGroup));
    std::memcpy(&DM->FProfileSettingGroup, before.data(), before.size());
    DM->SaveBackToProfileGroupSettingInfo();
    DM->RestoreProfileSettingGroupToDefault();

    const std::u16string profileFolder = ProfileWorld::FolderText(World.Documents / "Profile");
    auto b = before;
    Poke32(b, 0, 0);
    Poke32(b, 4, 0);
    Poke32(b, 8, 1);
    for (int i = 0; i < 5; ++i) {
        const std::size_t entry = 12 + 6190 * static_cast<std::size_t>(i);
        const std::u16string n = std::u16string(1, static_cast<char16_t>(u'1' + i));
        Poke16(b, entry, 0);
        PokeText(b, entry + 2, profileFolder);
        PokeText(b, entry + 2050, DefaultProfileKey);
        PokeText(b, entry + 4098, u"Profile" + n + u".pfd");
        PokeText(b, entry + 4140, profileFolder + u"Profile" + n + u"_Macros");
        Poke8(b, entry + 6188, 0);
        EXPECT_TRUE(std::filesystem::is_directory(World.Documents / "Profile" /
                                                  ("Profile" + std::to_string(i + 1) + "_Macros")));
    }
    EXPECT_TRUE(SameBytes(World.Stored(ProfileSettingGroupName)->Data, b));
}

TEST_F(FactoryDefaultsTest, PartialResetsOfTheCurrentProfile) {
    const auto before = Pattern(sizeof(TMouseProfileInfo));
    std::memcpy(&DM->FCurrentProfileInfo, before.data(), before.size());
    DM->RestoreToDefaultCPISetting();
    auto b = before;
    const int levels[] = {1000, 2000, 4000, 8200};
    for (int i = 0; i < 4; ++i) {
        PokeCPI(b, i, levels[i], 1);
        Poke16(b, UseDiffentXY + 2 * i, 0);
    }
    PokeCPI(b, 4, 0, 0);
    Poke32(b, CurrentCPIIndex, 1);
    EXPECT_TRUE(SameBytes(BytesOf(DM->FCurrentProfileInfo), b));

    DM->RestoreToDefaultLightAndReportAdvancedSetting();
    Poke16(b, ReportRate, 125);
    Poke8(b, LED, 255);
    Poke8(b, LED + 1, 0);
    Poke8(b, LED + 2, 0);
    Poke8(b, LED + 3, 2);
    Poke8(b, LED + 4, 3);
    EXPECT_TRUE(SameBytes(BytesOf(DM->FCurrentProfileInfo), b));
}

TEST(FunctionTable, RowsAsTabled) {
    ASSERT_EQ(FunctionTable.size(), 48u);
    auto expect = [](int code, int group, int id) {
        EXPECT_EQ(FunctionTable[code].FunctionCode, code);
        EXPECT_EQ(FunctionTable[code].FunctionGroup, group) << "code " << code;
        EXPECT_EQ(FunctionTable[code].FunctionId, id) << "code " << code;
    };
    const int first[7][2] = {{1, 1}, {2, 2}, {3, 3}, {5, 4}, {4, 5}, {16, 6}, {15, 7}};
    for (int code = 0; code < 7; ++code)
        expect(code, first[code][0], first[code][1]);
    for (int code = 7; code <= 14; ++code)
        expect(code, 15, code - 7 + 801);
    for (int code = 15; code <= 20; ++code)
        expect(code, 15, code - 15 + 901);
    for (int code = 21; code <= 28; ++code)
        expect(code, 14, code - 21 + 907);
    for (int code = 29; code <= 36; ++code)
        expect(code, 14, code - 29 + 1001);
    const int last[11][2] = {{17, 11}, {25, 12}, {8, 13},    {8, 1301},  {10, 1302}, {9, 1303},
                             {13, 14}, {8, 15},  {23, 1501}, {24, 1502}, {14, 16}};
    for (int code = 37; code < 48; ++code)
        expect(code, last[code - 37][0], last[code - 37][1]);
}

TEST(ProfileFileName, LongPrefixesKeepTheNumberAndStayDistinct) {
    EXPECT_EQ(ProfileFileName(u"Profile", 3), u"Profile3.pfd");
    const std::u16string longPrefix(40, u'P');
    EXPECT_EQ(ProfileFileName(longPrefix, 1), std::u16string(15, u'P') + u"1.pfd");
    EXPECT_NE(ProfileFileName(longPrefix, 1), ProfileFileName(longPrefix, 2));
}

} // namespace
} // namespace zq::test
