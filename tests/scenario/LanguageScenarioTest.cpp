// The monitor's texts in the stored language: title, tray menu, hint and About
// window, from the embedded table and from a "ui.local" beside the program.
#include "app/AboutScene.h"
#include "app/Messages.h"
#include "app/MouseMonitor.h"
#include "platform/sim/SimWorld.h"
#include "support/LanguageTesting.h"
#include "support/MonitorWorld.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace zq::test {
namespace {

class LanguageScenario : public ::testing::Test {
protected:
    void Start() {
        FMonitorWorld.StoreAllSettings(2, FStored);
        StartWithoutStoredSettings();
    }
    void StartWithoutStoredSettings() {
        FMonitorWorld.WriteConfig("[OtherConfig]\r\nOfficialWebsite=https://example.com/mouse\r\n");
        FMonitorWorld.Start();
    }
    std::u16string Title() { return FWorld.Desktop.FindOwnWindow(MonitorClassName)->Title(); }
    std::vector<std::u16string> Menu() { return FWorld.Desktop.Tray()->VisibleMenuCaptions(); }
    std::u16string Hint() { return FWorld.Desktop.Tray()->Hint(); }
    std::u16string SceneText(const std::string& name) {
        for (const auto& item :
             FWorld.Desktop.FindOwnWindow(MonitorClassName)->CurrentScene().Items)
            if (item.Name == name)
                return item.Text;
        return u"<missing>";
    }
    void ReloadSettings(std::uint8_t stored) {
        FStored = stored;
        FMonitorWorld.StoreAllSettings(2, FStored);
        FWorld.Desktop.Peer().PostToMonitor(MSG_RELOAD_SETTINGS, 0, 0);
        FWorld.Loop.ProcessMessages();
    }

    CleanTranslator FClean;
    MonitorWorld FMonitorWorld;
    sim::SimWorld& FWorld = FMonitorWorld.World;
    std::uint8_t FStored = 0;
};

TEST_F(LanguageScenario, StoredChineseTranslatesTitleMenuAboutAndTheHintsStateButNotTheName) {
    FStored = 0;
    Start();
    EXPECT_EQ(Title(), u"游戏鼠标监控程序");
    EXPECT_EQ(FWorld.Desktop.ApplicationTitle(), u"游戏鼠标监控程序"); // message boxes' caption
    EXPECT_EQ(Menu(), (std::vector<std::u16string>{u"配置", u"退出"}));
    EXPECT_EQ(FWorld.Desktop.Tray()->Menu()[MouseMonitor::About1].Caption, u"关于");
    EXPECT_EQ(Hint(), u"GAMING MOUSE DRIVER - 配置文件 3 - CPI 档位 1 - 麦克风开启");
    EXPECT_EQ(SceneText(AboutOkButton), u"确定");
    EXPECT_EQ(SceneText("Label4"), u"软件更新网址：");
    EXPECT_EQ(SceneText(AboutWebAddressText), u"https://example.com/mouse");
}

TEST_F(LanguageScenario, AReloadWithAnotherStoredLanguageSwitchesEverything) {
    FStored = 0;
    Start();
    ReloadSettings(1);
    EXPECT_EQ(Title(), u"GAMING MOUSE MONITOR");
    EXPECT_EQ(FWorld.Desktop.ApplicationTitle(), u"GAMING MOUSE MONITOR");
    EXPECT_EQ(Menu(), (std::vector<std::u16string>{u"Config", u"Exit"}));
    EXPECT_EQ(SceneText(AboutOkButton), u"OK");
    ReloadSettings(0);
    EXPECT_EQ(Title(), u"游戏鼠标监控程序");
    EXPECT_EQ(SceneText(AboutOkButton), u"确定");
    // The same stored language again changes nothing and re-sets the texts.
    ReloadSettings(0);
    EXPECT_EQ(Menu(), (std::vector<std::u16string>{u"配置", u"退出"}));
}

TEST_F(LanguageScenario, TheTranslatorsFileComesFirst) {
    WriteLanguageFile(FMonitorWorld.ProgramFolder,
                      MakeTable({u"x"}, {{u"0407",
                                          {{u"GAMING MOUSE MONITOR", u"SPIELEMAUS-MONITOR"},
                                           {u"Exit", u"Beenden"}}}}));
    FStored = 0;
    Start();
    EXPECT_EQ(Title(), u"SPIELEMAUS-MONITOR");
    EXPECT_EQ(Menu(), (std::vector<std::u16string>{u"Config", u"Beenden"}));
    ReloadSettings(1); // the embedded Chinese, now second
    EXPECT_EQ(Title(), u"游戏鼠标监控程序");
}

TEST_F(LanguageScenario, ACorruptTranslatorsFileDoesNotStopTheMonitor) {
    auto bytes = TableBytes(MakeTable({u"x"}, {{u"0407", {{u"Exit", u"Beenden"}}}}));
    bytes.resize(bytes.size() / 2);
    FMonitorWorld.Folder.Write("program/ui.local", AsString(bytes));
    FStored = 0;
    Start();
    EXPECT_EQ(Title(), u"游戏鼠标监控程序");
}

TEST_F(LanguageScenario, AStoredLanguageOutsideTheListKeepsTheCurrentOne) {
    FStored = 0;
    Start();
    ReloadSettings(9);
    EXPECT_EQ(Title(), u"游戏鼠标监控程序");
    EXPECT_EQ(Menu(), (std::vector<std::u16string>{u"配置", u"退出"}));
}

TEST_F(LanguageScenario, WithTheFactoryLanguageIndexTheUsersLocaleDecides) {
    // The factory settings name language 10, which the embedded table does not have.
    FWorld.Locales.SetUserDefaultLanguageAbbreviation(u"CHS");
    StartWithoutStoredSettings();
    EXPECT_EQ(Title(), u"游戏鼠标监控程序");
    FMonitorWorld.Stop();
    TTranslator::Instance().Reset();

    FWorld.Locales.SetUserDefaultLanguageAbbreviation(u"ENU");
    StartWithoutStoredSettings();
    EXPECT_EQ(Title(), u"GAMING MOUSE MONITOR");
    EXPECT_EQ(Menu(), (std::vector<std::u16string>{u"Config", u"Exit"}));
}

} // namespace
} // namespace zq::test
