// The language component: its tables, language selection, the walk over the
// registered windows, and the monitor's embedded table.
#include "language/TuiLanguage.h"
#include "language/EmbeddedTables.h"
#include "language/TranslatedScene.h"
#include "platform/Text.h"
#include "platform/sim/SimWorld.h"
#include "support/LanguageTesting.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace zq::test {
namespace {

using Kind = TTranslatableComponent::Kind;

class TuiLanguageTest : public ::testing::Test {
protected:
    std::unique_ptr<TuiLanguage> Create(TTranslatableComponent* owner = nullptr) {
        return std::make_unique<TuiLanguage>(FWorld.Platform(), owner, MonitorLanguageTable());
    }
    void WriteFile(const TLanguageTable& table) { WriteLanguageFile(FFolder.Path(), table); }

    CleanTranslator FClean;
    TempFolder FFolder;
    sim::SimWorld FWorld{FFolder.WithSeparator()};
};

TEST_F(TuiLanguageTest, TheEmbeddedTableHoldsChineseThenEnglish) {
    const auto language = Create();
    EXPECT_EQ(language->GetLanguageShortIDByIndex(0), u"CH");
    EXPECT_EQ(language->GetLanguageShortIDByIndex(1), u"US");
    EXPECT_EQ(language->GetLanguageShortIDByIndex(2), u"");
    EXPECT_EQ(language->GetLanguageShortIDByIndex(-1), u"");
    EXPECT_EQ(language->GetLanguageIndexByShortID(u"ch"), 0);
    EXPECT_EQ(language->GetLanguageIndexByShortID(u"Us"), 1);
    EXPECT_EQ(language->GetLanguageIndexByShortID(u"XX"), -1);
    EXPECT_EQ(language->Lang(), u"");
}

TEST_F(TuiLanguageTest, TheEmbeddedTableTranslatesEveryMonitorTextButTheTrayHint) {
    const auto language = Create();
    const TLanguageTable& table = language->Table();
    const std::vector<std::u16string> shown = {u"Config",
                                               u"About",
                                               u"Exit",
                                               u"GAMING MOUSE MONITOR",
                                               u"OK",
                                               u"Hardware & Software Information:",
                                               u"Hardware Core:1.00.00",
                                               u"Software Core:1.00.00",
                                               u"Software Update Website:"};
    const TLanguage& chinese = table.Languages()[0];
    const TLanguage& english = table.Languages()[1];
    for (const auto& text : shown) {
        EXPECT_TRUE(table.Originals().Contains(text)) << ToUtf8(text);
        EXPECT_NE(chinese.Translations.Value(text), u"") << ToUtf8(text);
        EXPECT_NE(chinese.Translations.Value(text), text) << ToUtf8(text);
    }
    for (const auto& text : TuiLanguage::ConstTexts()) {
        EXPECT_TRUE(table.Originals().Contains(text)) << ToUtf8(text);
        EXPECT_NE(chinese.Translations.Value(text), u"") << ToUtf8(text);
    }
    EXPECT_TRUE(table.Originals().Contains(u"GAMING MOUSE DRIVER"));
    EXPECT_EQ(chinese.Translations.Value(u"GAMING MOUSE DRIVER"), u"");
    EXPECT_EQ(chinese.Translations.Value(u"Config"), u"配置");
    // English maps every text, nearly all to themselves.
    int selfMapped = 0;
    for (const auto& text : table.Originals().Lines()) {
        EXPECT_NE(english.Translations.Value(text), u"") << ToUtf8(text);
        selfMapped += english.Translations.Value(text) == text;
    }
    EXPECT_GE(selfMapped, static_cast<int>(table.Originals().Count()) - 2);
}

TEST_F(TuiLanguageTest, TheEmbeddedTablesAreCanonicalStreams) {
    for (const auto bytes : {MonitorLanguageTable(), EditorLanguageTable()}) {
        TLanguageTable table;
        ASSERT_TRUE(table.LoadFromStream(bytes));
        const std::vector<std::uint8_t> expected(bytes.begin(), bytes.end());
        EXPECT_EQ(table.SaveToStream(), expected);
    }
}

TEST_F(TuiLanguageTest, FileLanguagesComeFirstAndWinOverEmbeddedOnes) {
    WriteFile(MakeTable({u"from the file"}, {{u"0409", {}},
                                             {u"0804", {{u"Config", u"设置"}}},
                                             {u"ch", {{u"Config", u"文件里的配置"}}}}));
    const auto language = Create();
    EXPECT_EQ(language->GetLanguageShortIDByIndex(0), u"0409");
    EXPECT_EQ(language->GetLanguageShortIDByIndex(3), u"CH");
    EXPECT_EQ(language->GetLanguageShortIDByIndex(4), u"US");
    // The embedded source texts replace the file's.
    EXPECT_FALSE(language->Table().Originals().Contains(u"from the file"));
    EXPECT_TRUE(language->Table().Originals().Contains(u"Config"));
    language->SetLang(u"CH");
    EXPECT_EQ(Translate(u"Config"), u"文件里的配置");
}

TEST_F(TuiLanguageTest, ACorruptOrTruncatedFileLeavesTheEmbeddedTableAlone) {
    const TLanguageTable embedded = Create()->Table();
    auto bytes = TableBytes(MakeTable({u"x"}, {{u"0409", {{u"x", u"y"}}}}));
    bytes.resize(bytes.size() - 3);
    FFolder.Write("ui.local", AsString(bytes));
    EXPECT_EQ(Create()->Table(), embedded);
    FFolder.Write("ui.local", std::string_view("\xFF\xFF\xFF\x7F", 4));
    EXPECT_EQ(Create()->Table(), embedded);
    FFolder.Write("ui.local", "");
    EXPECT_EQ(Create()->Table(), embedded);
}

TEST_F(TuiLanguageTest, AFileWithBytesAfterItsTableKeepsItsLanguagesFirst) {
    // The stored language index counts from the file's languages: "CH" must stay
    // behind them for the index to keep naming the same language.
    auto bytes = TableBytes(MakeTable({u"x"}, {{u"0409", {}}, {u"0804", {}}}));
    bytes.push_back(0x0A);
    FFolder.Write("ui.local", AsString(bytes));
    const auto language = Create();
    EXPECT_EQ(language->GetLanguageShortIDByIndex(1), u"0804");
    EXPECT_EQ(language->GetLanguageIndexByShortID(u"CH"), 2);
}

TEST_F(TuiLanguageTest, SelectingChineseTranslatesAndUnknownShortIdsKeepIt) {
    const auto language = Create();
    language->SetLang(u"CH");
    EXPECT_EQ(language->Lang(), u"CH");
    EXPECT_EQ(Translate(u"Config"), u"配置");
    EXPECT_EQ(Translate(u"GAMING MOUSE DRIVER"), u"GAMING MOUSE DRIVER");
    language->SetLang(u"XX");
    EXPECT_EQ(language->Lang(), u"XX");
    EXPECT_EQ(Translate(u"Config"), u"配置");
    language->SetLang(u"");
    EXPECT_EQ(Translate(u"Config"), u"配置");
    language->SetLang(u"us");
    EXPECT_EQ(Translate(u"Wheel up(Mouse)"), u"Wheel Up(Mouse)");
}

TEST_F(TuiLanguageTest, EnRemovesTheLanguageAndScenesReturnToTheirSources) {
    const auto language = Create();
    Scene about;
    about.Items.push_back({"BtnOK", SceneItemKind::Button, 0, 0, 1, 1, u"OK"});
    TTranslatedScene scene(about);
    language->SetLang(u"CH");
    EXPECT_EQ(scene.Current().Items[0].Text, u"确定");
    language->SetLang(u"en");
    EXPECT_EQ(language->Lang(), u"en");
    EXPECT_EQ(Translate(u"Config"), u"Config");
    EXPECT_EQ(scene.Current().Items[0].Text, u"OK");
    // "en" is compared with case: "EN" is just an unknown short ID.
    language->SetLang(u"CH");
    language->SetLang(u"EN");
    EXPECT_EQ(Translate(u"Config"), u"配置");
}

TEST_F(TuiLanguageTest, LeadingSpacesBelongToTheSourceText) {
    WriteFile(MakeTable({}, {{u"0804", {{u"  Exit", u"退出"}}}}));
    const auto language = Create();
    language->SetLang(u"0804");
    EXPECT_EQ(Translate(u"  Exit"), u"退出");
    EXPECT_EQ(Translate(u"Exit"), u"Exit");
    EXPECT_EQ(Translate(u" Exit"), u" Exit");
}

TEST_F(TuiLanguageTest, TheUsersLocaleChoosesTheStartingLanguageWithoutSettingLang) {
    FWorld.Locales.SetUserDefaultLanguageAbbreviation(u"CHS");
    auto language = Create();
    EXPECT_EQ(language->Lang(), u"");
    EXPECT_EQ(Translate(u"Exit"), u"退出");
    language.reset();

    TTranslator::Instance().Reset();
    FWorld.Locales.SetUserDefaultLanguageAbbreviation(u"ENU");
    language = Create();
    EXPECT_FALSE(TTranslator::Instance().HasCurrentLanguage());
    EXPECT_EQ(Translate(u"Exit"), u"Exit");
}

TEST_F(TuiLanguageTest, AutoSelectSelectsTheUsersLanguage) {
    const auto language = Create();
    FWorld.Locales.SetUserDefaultLanguageAbbreviation(u"CHS");
    std::u16string changedTo = u"none";
    language->OnLanguageChanged = [&](TuiLanguage& sender, const std::u16string& shortId,
                                      const std::u16string&) {
        EXPECT_EQ(&sender, language.get());
        changedTo = shortId;
    };
    language->SetAutoSelect(true);
    EXPECT_TRUE(language->AutoSelect());
    EXPECT_EQ(changedTo, u"ch");
    EXPECT_EQ(Translate(u"Exit"), u"退出");
    FWorld.Locales.SetUserDefaultLanguageAbbreviation(u"ENU");
    language->SetAutoSelect(true);
    EXPECT_EQ(changedTo, u"en");
    EXPECT_EQ(Translate(u"Exit"), u"Exit");
}

TEST_F(TuiLanguageTest, LanguageChangedNamesTheLanguageInItsOwnWords) {
    WriteFile(MakeTable({}, {{u"0804", {}}}));
    const auto language = Create();
    std::vector<std::pair<std::u16string, std::u16string>> events;
    language->OnLanguageChanged = [&](TuiLanguage&, const std::u16string& shortId,
                                      const std::u16string& longName) {
        events.emplace_back(shortId, longName);
    };
    language->SetLang(u"0804");
    language->SetLang(u"CH");
    language->SetLang(u"XX");
    EXPECT_EQ(events, (std::vector<std::pair<std::u16string, std::u16string>>{
                          {u"0804", u"中文(简体)"}, {u"CH", u""}, {u"XX", u""}}));
}

TEST_F(TuiLanguageTest, LocaleNamesAndTheSystemLanguage) {
    FWorld.Locales.SetLocales({{u"0409", u"English", u"English (United States)", u"USA"},
                               {u"0C0A", u"español", u"Spanish (Spain)", u"ESP"},
                               {u"0007", u"Deutsch", u"German", u""}});
    FWorld.Locales.SetSystemDefaultLanguageId(0x0C0A);
    const auto language = Create();
    EXPECT_EQ(language->GetOSDefaultLang(), u"0C0A");
    EXPECT_EQ(language->GetLanguageLongNameByLangID(u"0c0a"), u"español");
    EXPECT_EQ(language->GetLanguageLongNameByShortID(u"0409"), u"English");
    // A locale without a country is known by its identifier, not as a short ID.
    EXPECT_EQ(language->GetLanguageLongNameByLangID(u"0007"), u"Deutsch");
    EXPECT_EQ(language->GetLanguageLongNameByShortID(u"0007"), u"");
    EXPECT_EQ(language->GetLanguageLongNameByShortID(u"CH"), u"");
}

// A window with the kinds of components the walk meets.
struct TestForm {
    TestForm() {
        Form.SetText(u"Caption", u"Config");
        Button = &Form.Add(u"TButton", u"Button1");
        Button->SetText(u"Caption", u"Exit");
        Button->SetText(u"Hint", u"About");
        Button->SetText(u"Text", u"OK"); // not a translated property
        Menu = &Form.Add(u"TMenuItem", u"Exit1");
        Menu->SetText(u"Caption", u"Exit");
        Tabs = &Form.Add(u"TTabControl", u"TabControl1");
        Tabs->SetText(u"Hint", u"Config");
        Tabs->SetItems({u"Up", u"", u"Down"});
        Panel = &Form.Add(u"TPanel", u"Panel1");
        Nested = &Panel->Add(u"TLabel", u"Label1");
        Nested->SetText(u"Caption", u"ms");
        Custom = &Panel->Add(u"TKeyGrid", u"Grid1");
        Custom->SetText(u"Caption", u"Up");
        Scene = &Form.Add(u"TvgScene", u"vgScene1", Kind::Scene);
        Scene->SetText(u"Caption", u"OK");
    }
    TTranslatableComponent Form{u"TTestForm", u"TestForm", Kind::Form};
    TTranslatableComponent* Button;
    TTranslatableComponent* Menu;
    TTranslatableComponent* Tabs;
    TTranslatableComponent* Panel;
    TTranslatableComponent* Nested;
    TTranslatableComponent* Custom;
    TTranslatableComponent* Scene;
};

TEST_F(TuiLanguageTest, SelectingTranslatesCaptionsAndHintsOfTheRegisteredWindow) {
    TestForm window;
    const auto language = Create(&window.Form);
    language->CustomClassList().push_back(u"TKeyGrid");
    std::vector<std::u16string> customBaseNames;
    language->OnCustomTranslate = [&](TTranslatableComponent& component,
                                      std::vector<std::u16string>&,
                                      std::vector<const TTranslatableComponent*>&,
                                      const std::u16string& baseName, bool apply) {
        EXPECT_EQ(&component, window.Custom);
        EXPECT_TRUE(apply);
        customBaseNames.push_back(baseName);
    };
    language->SetLang(u"CH");

    EXPECT_EQ(window.Form.Text(u"Caption"), u"配置");
    EXPECT_EQ(window.Button->Text(u"Caption"), u"退出");
    EXPECT_EQ(window.Button->Text(u"Hint"), u"关于");
    EXPECT_EQ(window.Button->Text(u"Text"), u"OK");
    EXPECT_EQ(window.Nested->Text(u"Caption"), u"毫秒");
    // Menu entries are left to their window; item lists are translated entry by entry.
    EXPECT_EQ(window.Menu->Text(u"Caption"), u"Exit");
    EXPECT_EQ(window.Tabs->Text(u"Hint"), u"配置");
    EXPECT_EQ(window.Tabs->Items(), (std::vector<std::u16string>{u"松开", u"", u"按下"}));
    // Custom classes go to the event and nowhere else; scenes translate themselves.
    EXPECT_EQ(customBaseNames, (std::vector<std::u16string>{u"TTestForm.Panel1"}));
    EXPECT_EQ(window.Custom->Text(u"Caption"), u"Up");
    EXPECT_EQ(window.Scene->Text(u"Caption"), u"OK");

    // Captions are only translated forward: back in English they stay as they are.
    language->SetLang(u"en");
    EXPECT_EQ(window.Button->Text(u"Caption"), u"退出");
}

TEST_F(TuiLanguageTest, AWalkWithoutApplyingCollectsAndChangesNothing) {
    TestForm window;
    const auto language = Create(&window.Form);
    std::vector<std::u16string> texts;
    language->TranslateForms(false, texts);
    EXPECT_EQ(texts, (std::vector<std::u16string>{u"Config", u"Exit", u"About", u"Config", u"Up",
                                                  u"Down", u"ms", u"Up"}));
    EXPECT_EQ(window.Form.Text(u"Caption"), u"Config");
}

TEST_F(TuiLanguageTest, BaseNamesFollowTheOwners) {
    TestForm window;
    EXPECT_EQ(ComponentBaseName(window.Form), u"TTestForm");
    EXPECT_EQ(ComponentBaseName(*window.Button), u"TTestForm");
    EXPECT_EQ(ComponentBaseName(*window.Custom), u"TTestForm.Panel1");
    TTranslatableComponent& deeper = window.Custom->Add(u"TLabel", u"Label9");
    EXPECT_EQ(ComponentBaseName(deeper), u"TTestForm.Panel1.Grid1");
}

TEST_F(TuiLanguageTest, WindowsLeaveTheRegistrationAndTheCountWithTheirComponents) {
    EXPECT_EQ(TTranslator::Instance().ParentFormCount(), 0);
    auto first = std::make_unique<TestForm>();
    auto firstLanguage = Create(&first->Form);
    auto second = std::make_unique<TestForm>();
    auto secondLanguage = Create(&second->Form);
    const auto ownerless = Create();
    EXPECT_EQ(ownerless->uiParentFormCount(), 2);

    // Every registered window follows a selection made by any component.
    ownerless->SetLang(u"CH");
    EXPECT_EQ(first->Form.Text(u"Caption"), u"配置");
    EXPECT_EQ(second->Form.Text(u"Caption"), u"配置");

    // A window that goes is not walked again, whether its component goes first...
    firstLanguage.reset();
    first.reset();
    // ...or the window itself (its component still held).
    second.reset();
    EXPECT_EQ(ownerless->uiParentFormCount(), 1);
    ownerless->SetLang(u"US");
    EXPECT_TRUE(TTranslator::Instance().RegisteredForms().empty());
    secondLanguage.reset();
    EXPECT_EQ(ownerless->uiParentFormCount(), 0);
}

TEST_F(TuiLanguageTest, CollectingAddsTheTextsOfWindowsScenesAndConstants) {
    TestForm window;
    window.Form.Add(u"TLabel", u"Label2").SetText(u"Caption", u"a=b");
    Scene about;
    about.Items.push_back({"Title", SceneItemKind::Label, 0, 0, 1, 1, u"Scene text"});
    TTranslatedScene scene(about);
    auto language = std::make_unique<TuiLanguage>(FWorld.Platform(), &window.Form);
    language->SetActive(true);
    ASSERT_TRUE(language->CollectTexts());
    const auto& originals = language->Table().Originals();
    for (const auto* text : {u"Config", u"Exit", u"About", u"ms", u"Up", u"Down", u"Scene text",
                             u"Mouse Middle Click", u"Wheel up(Mouse)"})
        EXPECT_TRUE(originals.Contains(text)) << ToUtf8(text);
    // A text holding "=" could never be looked up and is not taken.
    EXPECT_FALSE(originals.Contains(u"a=b"));
    EXPECT_FALSE(TTranslator::Instance().Collecting());
    EXPECT_EQ(Translate(u"Config"), u"Config");
}

TEST_F(TuiLanguageTest, LoadingLanguagesFromAFileReplacesThemOnlyWhenTheFileIsATable) {
    const auto language = Create();
    const auto other = FFolder.Path() / "other.local";
    language->Table().SaveToFile(other);
    std::filesystem::resize_file(other, 10);
    EXPECT_FALSE(language->LoadLanguagesFromFile(other));
    EXPECT_EQ(language->GetLanguageShortIDByIndex(0), u"CH");

    MakeTable({u"OK"}, {{u"0804", {}}}).SaveToFile(other);
    EXPECT_TRUE(language->LoadLanguagesFromFile(other));
    EXPECT_EQ(language->GetLanguageShortIDByIndex(0), u"0804");
    EXPECT_EQ(language->GetLanguageShortIDByIndex(1), u"");
}

} // namespace
} // namespace zq::test
