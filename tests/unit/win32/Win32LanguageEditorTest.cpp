// The language editor's window, driven as a user would and read back through
// its controls.
#include "ui/win32/Win32LanguageEditor.h"
#include "FolderPlatform.h"
#include "language/LanguageEditor.h"
#include "platform/win32/Win32Platform.h"
#include "support/LanguageTesting.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <vector>

namespace zq::test {
namespace {

class Win32LanguageEditorTest : public ::testing::Test {
protected:
    Platform& Services() { return FServices; }

    CleanTranslator FClean;
    TempFolder FFolder;
    FolderPlatform FWindows{FFolder.WithSeparator()};
    win32::Win32Platform& FPlatform = FWindows.Windows();
    Platform& FServices = FWindows.Platform();
    std::filesystem::path FFile = FFolder.Path() / "ui.local";
};

TEST_F(Win32LanguageEditorTest, ShowsTheTabsAndGridOfTheFileBesideTheProgram) {
    WriteLanguageFile(FFile.parent_path(),
                      MakeTable({u"Exit", u"OK"}, {{u"0804", {{u"OK", u"确定"}}}, {u"CH", {}}}));
    TLanguageEditor editor(Services());
    win32::Win32LanguageEditorWindow window(editor);
    ASSERT_TRUE(window.IsOpen());
    EXPECT_FALSE(window.ControlText(u"BtnAddLanguage").empty());
    EXPECT_EQ(window.ControlText(u"BtnAddLanguage"), editor.Caption(u"BtnAddLanguage"));
    EXPECT_EQ(window.ControlText(u"LanguageEditorForm"), editor.Caption(u"LanguageEditorForm"));

    ASSERT_EQ(window.TabCount(), 1);
    EXPECT_EQ(window.TabText(0), editor.Tabs()[0].Text);
    EXPECT_EQ(window.GridRowCount(), 2 + static_cast<int>(TLanguageEditor::SpareRowsAtOpening));
    EXPECT_EQ(window.GridCell(0, 0), u"Exit");
    EXPECT_EQ(window.GridCell(0, 1), u"Exit");
    EXPECT_EQ(window.GridCell(1, 1), u"确定");
    EXPECT_EQ(window.GridCell(2, 0), u"");

    // Delete the language, then save: the file keeps the texts and no language.
    window.Click(u"BtnDelet");
    EXPECT_EQ(window.TabCount(), 0);
    EXPECT_EQ(window.GridRowCount(), 0);
    window.Click(u"sbtnsavelanguagetofile");
    EXPECT_TRUE(window.IsOpen()); // opened on its own, it stays open
    TLanguageTable saved;
    ASSERT_TRUE(saved.LoadFromFile(FFile));
    EXPECT_EQ(saved, MakeTable({u"Exit", u"OK"}));
}

TEST_F(Win32LanguageEditorTest, PagingShowsEightTabsAtATime) {
    TLanguageTable table = MakeTable({u"OK"});
    for (const auto& locale : FPlatform.Locales.SupportedLocales()) {
        table.Languages().push_back({locale.LanguageId, {}});
        if (table.Languages().size() == 10)
            break;
    }
    ASSERT_EQ(table.Languages().size(), 10u);
    WriteLanguageFile(FFile.parent_path(), table);
    TLanguageEditor editor(Services());
    win32::Win32LanguageEditorWindow window(editor);
    EXPECT_EQ(window.TabCount(), 8);
    EXPECT_EQ(window.TabText(0), editor.Tabs()[0].Text);
    // The selection is always a tab shown, and the grid is that tab's.
    const HWND tabs = window.Control(u"TabControl1");
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), 7);
    EXPECT_EQ(window.TabText(7), editor.Tabs()[static_cast<std::size_t>(editor.TabIndex())].Text);
    window.Click(u"BtnNextPage");
    window.Click(u"BtnNextPage");
    window.Click(u"BtnNextPage");
    EXPECT_EQ(window.TabCount(), 8);
    EXPECT_EQ(window.TabText(0), editor.Tabs()[2].Text);
    EXPECT_EQ(window.TabText(7), editor.Tabs()[9].Text);
    const int selected = TabCtrl_GetCurSel(tabs);
    ASSERT_GE(selected, 0);
    EXPECT_EQ(window.TabText(selected),
              editor.Tabs()[static_cast<std::size_t>(editor.TabIndex())].Text);
}

TEST_F(Win32LanguageEditorTest, AnUnreadableFileIsReplacedOnlyWhenTheTranslatorSaysSo) {
    std::vector<std::uint8_t> bytes = TableBytes(MakeTable({u"OK"}, {{u"0804", {}}}));
    bytes.resize(bytes.size() - 1); // cut short
    FFolder.Write("ui.local", AsString(bytes));
    TLanguageEditor editor(Services());
    win32::Win32LanguageEditorWindow window(editor);
    std::vector<unsigned> asked;
    int answer = IDNO;
    window.OnAskUser = [&](const std::u16string&, unsigned flags) {
        asked.push_back(flags & MB_TYPEMASK);
        return answer;
    };
    window.Click(u"sbtnsavelanguagetofile");
    EXPECT_EQ(asked, std::vector<unsigned>{MB_YESNO});
    EXPECT_EQ(ReadBytes(FFile), bytes);
    answer = IDYES;
    window.Click(u"sbtnsavelanguagetofile");
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(ReadBytes(FFolder.Path() / "ui.local.bak"), bytes);
    TLanguageTable saved;
    EXPECT_TRUE(saved.LoadFromFile(FFile));
}

TEST_F(Win32LanguageEditorTest, SavingWithAComponentClosesTheWindow) {
    TuiLanguage component(Services(), nullptr);
    TLanguageEditor editor(Services(), &component);
    win32::Win32LanguageEditorWindow window(editor);
    window.Click(u"sbtnsavelanguagetofile");
    EXPECT_FALSE(window.IsOpen());
    EXPECT_TRUE(std::filesystem::exists(FFile));
}

} // namespace
} // namespace zq::test
