// The language editor's commands, checked through the "ui.local" they write.
#include "language/LanguageEditor.h"
#include "language/EmbeddedTables.h"
#include "language/TableStream.h"
#include "platform/Text.h"
#include "platform/sim/SimWorld.h"
#include "support/LanguageTesting.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace zq::test {
namespace {

class LanguageEditorTest : public ::testing::Test {
protected:
    void WriteFile(const TLanguageTable& table) { WriteLanguageFile(FFolder.Path(), table); }
    std::unique_ptr<TLanguageEditor> Open(TuiLanguage* component = nullptr) {
        return std::make_unique<TLanguageEditor>(FWorld.Platform(), component);
    }
    // The table the editor wrote, read back.
    TLanguageTable Saved() {
        TLanguageTable table;
        EXPECT_TRUE(table.LoadFromFile(FFolder.Path() / "ui.local"));
        return table;
    }
    int LocaleIndex(std::u16string_view id, const TLanguageEditor& editor) {
        const auto& locales = editor.Locales();
        for (std::size_t i = 0; i < locales.size(); ++i)
            if (locales[i].LanguageId == id)
                return static_cast<int>(i);
        return -1;
    }
    // Ten languages of the system's locales: two more than a page shows.
    std::unique_ptr<TLanguageEditor> OpenTenLanguages() {
        const char16_t* ids[] = {u"0404", u"0407", u"0409", u"040C", u"0410",
                                 u"0411", u"0412", u"0415", u"0416", u"0419"};
        TLanguageTable table = MakeTable({u"OK"});
        for (const auto* id : ids)
            table.Languages().push_back({id, {}});
        WriteFile(table);
        return Open();
    }
    std::vector<int> VisibleTabs(const TLanguageEditor& editor) {
        std::vector<int> visible;
        for (std::size_t i = 0; i < editor.Tabs().size(); ++i)
            if (editor.Tabs()[i].Visible)
                visible.push_back(static_cast<int>(i));
        return visible;
    }

    CleanTranslator FClean;
    TempFolder FFolder;
    sim::SimWorld FWorld{FFolder.WithSeparator()};
};

TEST_F(LanguageEditorTest, ATableOfChineseAndEnglishOnlyOpensWithoutTabsAndSavesNoLanguage) {
    TuiLanguage component(FWorld.Platform(), nullptr, MonitorLanguageTable());
    const auto editor = Open(&component);
    EXPECT_TRUE(editor->Tabs().empty());
    EXPECT_EQ(editor->TabIndex(), -1);
    ASSERT_TRUE(editor->SaveToLanguageFile());
    EXPECT_EQ(ReadBytes(FFolder.Path() / "ui.local"),
              WriteTableStream({component.Table().Originals().Text(), {}}));
    // Opened with a component, the editor closes after saving.
    EXPECT_TRUE(editor->Closed());
}

TEST_F(LanguageEditorTest, LanguagesOfTheSystemsLocalesGetATabEach) {
    WriteFile(MakeTable({u"OK"}, {{u"0409", {}}, {u"CH", {}}, {u"0804", {}}, {u"0409", {}}}));
    const auto editor = Open();
    ASSERT_EQ(editor->Tabs().size(), 2u);
    EXPECT_EQ(editor->Tabs()[0].Text, u"English (United States)");
    EXPECT_EQ(editor->Tabs()[0].ShortID, u"0409");
    EXPECT_EQ(editor->Tabs()[1].Text, u"Chinese (Simplified, PRC)");
    EXPECT_EQ(editor->TabIndex(), 1); // the last one made
    EXPECT_FALSE(editor->Closed());
    EXPECT_EQ(editor->Tabs()[0].Rows.size(), 1u + TLanguageEditor::SpareRowsAtOpening);
}

TEST_F(LanguageEditorTest, TenTabsPageTwiceAndNotAThirdTime) {
    const auto editor = OpenTenLanguages();
    ASSERT_EQ(editor->Tabs().size(), 10u);
    EXPECT_EQ(editor->FirstVisibleTab(), 0);
    EXPECT_EQ(VisibleTabs(*editor), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    editor->NextPage();
    editor->NextPage();
    EXPECT_EQ(editor->FirstVisibleTab(), 2);
    EXPECT_EQ(VisibleTabs(*editor), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9}));
    editor->NextPage();
    EXPECT_EQ(editor->FirstVisibleTab(), 2);
    editor->PrevPage();
    editor->PrevPage();
    editor->PrevPage();
    EXPECT_EQ(editor->FirstVisibleTab(), 0);
    // Selecting a hidden tab shows it.
    editor->SetTabIndex(9);
    EXPECT_EQ(editor->FirstVisibleTab(), 2);
    EXPECT_EQ(editor->TabIndex(), 9);
}

TEST_F(LanguageEditorTest, TheSelectedTabIsAlwaysOneThatIsShown) {
    const auto editor = OpenTenLanguages();
    // The last tab made is out of view at opening: the last one shown stands in.
    EXPECT_EQ(editor->TabIndex(), 7);
    editor->SetTabIndex(0);
    editor->NextPage();
    editor->NextPage();
    EXPECT_EQ(editor->TabIndex(), 2); // the page left tab 0 behind
    editor->SetTabIndex(9);
    editor->PrevPage();
    editor->PrevPage();
    EXPECT_EQ(editor->TabIndex(), 7);
    // "Delete Language" removes the tab the translator sees selected, and only it.
    const std::u16string shown = editor->Tabs()[7].ShortID;
    editor->DeleteLanguage();
    ASSERT_EQ(editor->Tabs().size(), 9u);
    EXPECT_EQ(std::count_if(editor->Tabs().begin(), editor->Tabs().end(),
                            [&](const auto& tab) { return tab.ShortID == shown; }),
              0);
    EXPECT_EQ(editor->Tabs()[8].ShortID, u"0419");
    EXPECT_TRUE(editor->Tabs()[static_cast<std::size_t>(editor->TabIndex())].Visible);
}

TEST_F(LanguageEditorTest, SavingMapsEveryUntranslatedTextToItself) {
    WriteFile(MakeTable({u"OK", u"Exit", u"Config"}, {{u"0804", {{u"OK", u"确定"}}}}));
    const auto editor = Open();
    ASSERT_TRUE(editor->SaveToLanguageFile());
    EXPECT_EQ(
        Saved(),
        MakeTable({u"OK", u"Exit", u"Config"},
                  {{u"0804", {{u"OK", u"确定"}, {u"Exit", u"Exit"}, {u"Config", u"Config"}}}}));
    // Opened on its own, the editor stays open.
    EXPECT_FALSE(editor->Closed());
}

TEST_F(LanguageEditorTest, EditedTranslationsAreSavedAndEmptyCellsLeaveNoEntry) {
    WriteFile(MakeTable({u"Config", u"Exit", u"OK"}, {{u"0804", {}}}));
    const auto editor = Open();
    EXPECT_TRUE(editor->SetTranslation(0, u"配置"));
    EXPECT_TRUE(editor->SetTranslation(1, u""));
    EXPECT_FALSE(editor->SetTranslation(5, u"spare row"));
    EXPECT_FALSE(editor->SetTranslation(2, u"two\nlines"));
    ASSERT_TRUE(editor->SaveToLanguageFile());
    EXPECT_EQ(Saved(), MakeTable({u"Config", u"Exit", u"OK"},
                                 {{u"0804", {{u"Config", u"配置"}, {u"OK", u"OK"}}}}));
}

TEST_F(LanguageEditorTest, AddLanguageMakesATabOrSelectsTheExistingOne) {
    WriteFile(MakeTable({u"Exit", u"OK"}, {{u"0804", {}}, {u"0407", {{u"OK", u"Gut"}}}}));
    const auto editor = Open();
    ASSERT_EQ(editor->Tabs().size(), 2u);
    editor->SetLocaleIndex(LocaleIndex(u"0804", *editor));
    editor->AddLanguage();
    EXPECT_EQ(editor->Tabs().size(), 2u);
    EXPECT_EQ(editor->TabIndex(), 0);

    // A tab deleted and added again shows the table's translations, and nothing
    // where there is none.
    editor->SetTabIndex(1);
    editor->DeleteLanguage();
    EXPECT_EQ(editor->TabIndex(), 0);
    editor->SetLocaleIndex(LocaleIndex(u"0407", *editor));
    editor->AddLanguage();
    ASSERT_EQ(editor->Tabs().size(), 2u);
    const auto& added = editor->Tabs()[1];
    EXPECT_EQ(editor->TabIndex(), 1);
    EXPECT_EQ(added.Text, u"German (Germany)");
    EXPECT_EQ(added.Rows.size(), 2u + TLanguageEditor::SpareRowsOfAddedLanguage);
    EXPECT_EQ(added.Rows[0].Translation, u"");
    EXPECT_EQ(added.Rows[1].Translation, u"Gut");

    editor->SetLocaleIndex(LocaleIndex(u"0411", *editor));
    editor->AddLanguage();
    ASSERT_TRUE(editor->SaveToLanguageFile());
    EXPECT_EQ(Saved(), MakeTable({u"Exit", u"OK"}, {{u"0804", {{u"Exit", u"Exit"}, {u"OK", u"OK"}}},
                                                    {u"0407", {{u"OK", u"Gut"}}},
                                                    {u"0411", {}}}));
}

TEST_F(LanguageEditorTest, DeleteLanguageDropsTheLanguageFromTheNextSave) {
    WriteFile(MakeTable({u"OK"}, {{u"0409", {}}, {u"0804", {}}, {u"0407", {}}}));
    const auto editor = Open();
    editor->SetTabIndex(0);
    editor->DeleteLanguage();
    EXPECT_EQ(editor->TabIndex(), 0); // the first when there is none before
    EXPECT_EQ(editor->Tabs()[0].ShortID, u"0804");
    editor->DeleteLanguage();
    editor->DeleteLanguage();
    EXPECT_EQ(editor->TabIndex(), -1);
    editor->DeleteLanguage(); // nothing selected: nothing happens
    ASSERT_TRUE(editor->SaveToLanguageFile());
    EXPECT_TRUE(Saved().Languages().empty());
}

TEST_F(LanguageEditorTest, AddConstTextRefillsEveryGridKeepingWhatWasTyped) {
    WriteFile(MakeTable({u"Exit", u"OK"}, {{u"0804", {{u"OK", u"确定"}}}, {u"0409", {}}}));
    const auto editor = Open();
    editor->SetTabIndex(0);
    editor->SetTranslation(0, u"退出");
    editor->SetConstText(u"Config");
    editor->AddConstText();
    for (const auto& tab : editor->Tabs()) {
        EXPECT_EQ(tab.Rows[0].Source, u"Config");
        EXPECT_EQ(tab.Rows[1].Source, u"Exit");
        EXPECT_EQ(tab.Rows[2].Source, u"OK");
        EXPECT_EQ(tab.Rows[3].Source, u"");
    }
    EXPECT_EQ(editor->Tabs()[0].Rows[0].Translation, u"Config");
    EXPECT_EQ(editor->Tabs()[0].Rows[1].Translation, u"退出");
    EXPECT_EQ(editor->Tabs()[0].Rows[2].Translation, u"确定");

    // Empty, present and untranslatable texts are not taken.
    for (const auto* text : {u"", u"OK", u"a=b", u"two\r\nlines"}) {
        editor->SetConstText(text);
        editor->AddConstText();
    }
    EXPECT_EQ(editor->Language().Table().Originals().Count(), 3u);
}

TEST_F(LanguageEditorTest, DeleteItemFromListMovesTheRowsBelowUpInEveryGrid) {
    WriteFile(MakeTable({u"A", u"B", u"C"}, {{u"0804", {{u"C", u"丙"}}}, {u"0409", {}}}));
    const auto editor = Open();
    editor->SetRow(1);
    editor->DeleteItemFromList();
    EXPECT_EQ(editor->Language().Table().Originals().Lines(),
              (std::vector<std::u16string>{u"A", u"C"}));
    for (const auto& tab : editor->Tabs()) {
        EXPECT_EQ(tab.Rows[0].Source, u"A");
        EXPECT_EQ(tab.Rows[1].Source, u"C");
        EXPECT_EQ(tab.Rows[2].Source, u"");
        EXPECT_EQ(tab.Rows[2].Translation, u"");
    }
    EXPECT_EQ(editor->Tabs()[0].Rows[1].Translation, u"丙");
    // A spare row holds no text to delete.
    editor->SetRow(10);
    editor->DeleteItemFromList();
    EXPECT_EQ(editor->Language().Table().Originals().Count(), 2u);
    ASSERT_TRUE(editor->SaveToLanguageFile());
    EXPECT_EQ(Saved().Originals().Lines(), (std::vector<std::u16string>{u"A", u"C"}));
}

TEST_F(LanguageEditorTest, TheTextListSetsTheSourceTextsAndTheTabsTranslations) {
    WriteFile(MakeTable({u"old"}, {{u"0804", {}}}));
    const auto editor = Open();
    editor->SetLocaleIndex(LocaleIndex(u"0407", *editor));
    editor->AddLanguage(); // not in the table until saved
    ASSERT_TRUE(editor->OpenTextList());
    EXPECT_TRUE(editor->TextListOpen());
    editor->SaveTextList(u"OK=Gut\r\nExit=Ende=fertig\r\n\r\nConfig\r\n=nothing\r\n");
    EXPECT_FALSE(editor->TextListOpen());
    EXPECT_EQ(editor->Language().Table().Originals().Lines(),
              (std::vector<std::u16string>{u"Config", u"Exit", u"OK"}));
    const auto& german = editor->Tabs()[1];
    EXPECT_EQ(german.Rows[0].Translation, u"Config");
    EXPECT_EQ(german.Rows[1].Translation, u"Ende=fertig");
    EXPECT_EQ(german.Rows[2].Translation, u"Gut");
    EXPECT_EQ(editor->Tabs()[0].Rows[2].Translation, u"OK");
    ASSERT_TRUE(editor->SaveToLanguageFile());
    EXPECT_EQ(Saved().Language(u"0407")->Translations.Value(u"Exit"), u"Ende=fertig");
}

TEST_F(LanguageEditorTest, GridsGrowWhenTheSourceTextsOutgrowThem) {
    WriteFile(MakeTable({}, {}));
    const auto editor = Open();
    editor->SetLocaleIndex(LocaleIndex(u"0804", *editor));
    editor->AddLanguage();
    ASSERT_EQ(editor->Tabs()[0].Rows.size(), TLanguageEditor::SpareRowsOfAddedLanguage);
    std::u16string memo;
    for (int i = 0; i < 140; ++i)
        memo += u"text " + IntToText(1000 + i) + u"\r\n";
    editor->SaveTextList(memo);
    EXPECT_EQ(editor->Tabs()[0].Rows.size(), 160u);
    EXPECT_EQ(editor->Tabs()[0].Rows[139].Source, u"text 1139");
}

TEST_F(LanguageEditorTest, CommandsWithoutASelectionDoNothing) {
    const auto editor = Open();
    EXPECT_TRUE(editor->Tabs().empty());
    EXPECT_FALSE(editor->OpenTextList());
    editor->SaveTextList(u"a=b");
    editor->DeleteItemFromList();
    editor->SetLocaleIndex(-1);
    editor->AddLanguage();
    EXPECT_TRUE(editor->Tabs().empty());
    EXPECT_TRUE(editor->Language().Table().Originals().Empty());
}

TEST_F(LanguageEditorTest, AFailedSaveKeepsTheEditorOpen) {
    TuiLanguage component(FWorld.Platform(), nullptr, MonitorLanguageTable());
    const auto editor = Open(&component);
    FWorld.System.SetExecutableFolder(FFolder.Path() / "gone");
    EXPECT_FALSE(editor->SaveToLanguageFile());
    EXPECT_FALSE(editor->Closed());
}

TEST_F(LanguageEditorTest, AFileThatCannotBeReadIsNeverReplacedWithoutTheTranslatorsChoice) {
    // A lone surrogate in a translation: the whole file is unreadable.
    auto bytes = TableBytes(MakeTable({u"OK"}, {{u"0804", {{u"OK", u"\xD800"}}}, {u"0407", {}}}));
    const auto file = FFolder.Write("ui.local", AsString(bytes));
    const auto editor = Open();
    EXPECT_TRUE(editor->LanguageFileUnreadable());
    EXPECT_TRUE(editor->Tabs().empty());
    editor->SetLocaleIndex(LocaleIndex(u"0409", *editor));
    editor->AddLanguage();
    EXPECT_FALSE(editor->SaveToLanguageFile());
    EXPECT_EQ(ReadBytes(file), bytes);

    // Chosen explicitly, the save goes ahead and the old file stays as a backup,
    // beside any earlier one.
    FFolder.Write("ui.local.bak", "an earlier backup");
    ASSERT_TRUE(editor->ReplaceUnreadableLanguageFile());
    EXPECT_FALSE(editor->LanguageFileUnreadable());
    EXPECT_EQ(ReadBytes(FFolder.Path() / "ui.local.bak2"), bytes);
    EXPECT_EQ(AsString(ReadBytes(FFolder.Path() / "ui.local.bak")), "an earlier backup");
    const TLanguageTable saved = Saved();
    ASSERT_EQ(saved.Languages().size(), 1u);
    EXPECT_EQ(saved.Languages()[0].ShortID, u"0409");
    // From then on the file is the editor's own.
    ASSERT_TRUE(editor->SaveToLanguageFile());
}

TEST_F(LanguageEditorTest, AReadableOrMissingFileIsSavedAsBefore) {
    EXPECT_FALSE(Open()->LanguageFileUnreadable());
    auto bytes = TableBytes(MakeTable({u"OK"}, {{u"0804", {}}}));
    bytes.push_back(0); // ignored after a complete table
    FFolder.Write("ui.local", AsString(bytes));
    const auto editor = Open();
    EXPECT_FALSE(editor->LanguageFileUnreadable());
    ASSERT_TRUE(editor->SaveToLanguageFile());
    EXPECT_FALSE(std::filesystem::exists(FFolder.Path() / "ui.local.bak"));
}

TEST_F(LanguageEditorTest, TheEditorSpeaksTheUsersLanguage) {
    {
        const auto editor = Open();
        EXPECT_EQ(editor->Caption(u"BtnAddLanguage"), u"Add Language");
        EXPECT_EQ(editor->Caption(u"Label1"), u"Langs List：");
    }
    FWorld.Locales.SetUserDefaultLanguageAbbreviation(u"CHS");
    const auto editor = Open();
    EXPECT_EQ(editor->Caption(u"LanguageEditorForm"), u"语言编辑器");
    EXPECT_EQ(editor->Caption(u"BtnAddLanguage"), u"添加语言");
    EXPECT_EQ(editor->Caption(u"SpeedButton2"), u"获取/设置文本列表");
    EXPECT_EQ(editor->Caption(u"BtnSaveTextList"), u"保存");
    EXPECT_EQ(Translate(u"Translation"), u"译文");
}

} // namespace
} // namespace zq::test
