// The program-wide translate function and the scenes that follow the language.
#include "language/Translator.h"
#include "language/TranslatedScene.h"
#include "support/LanguageTesting.h"

#include <gtest/gtest.h>

namespace zq::test {
namespace {

TSortedStrings List(std::u16string_view text) {
    TSortedStrings list;
    list.SetText(text);
    return list;
}

Scene SceneOf(std::initializer_list<std::pair<std::string, std::u16string>> items) {
    Scene scene;
    for (const auto& [name, text] : items) {
        SceneItem item;
        item.Name = name;
        item.Text = text;
        scene.Items.push_back(item);
    }
    return scene;
}

std::vector<std::u16string> Texts(const Scene& scene) {
    std::vector<std::u16string> texts;
    for (const auto& item : scene.Items)
        texts.push_back(item.Text);
    return texts;
}

// A scene that knows only the texts it shows, as the translate function's reverse
// mode expects of them.
class PlainSceneTexts : public ISceneTexts {
public:
    explicit PlainSceneTexts(std::u16string text) : Text(std::move(text)) {
        TTranslator::Instance().RegisterScene(*this);
    }
    ~PlainSceneTexts() override { TTranslator::Instance().UnregisterScene(*this); }
    void RetranslateTexts() override { Text = Translate(Text); }
    std::u16string Text;
};

class TranslatorTest : public ::testing::Test {
protected:
    CleanTranslator FClean;
    TTranslator& FTranslator = TTranslator::Instance();
};

TEST_F(TranslatorTest, WithoutALanguageEveryTextIsItself) {
    EXPECT_EQ(Translate(u"Config"), u"Config");
    EXPECT_EQ(Translate(u""), u"");
    EXPECT_FALSE(FTranslator.HasCurrentLanguage());
}

TEST_F(TranslatorTest, TheCurrentLanguageTranslatesWithCaseAndFallsBackToTheText) {
    FTranslator.MakeCurrent(List(u"Config=配置\r\n  Exit=退出\r\n"));
    EXPECT_EQ(Translate(u"Config"), u"配置");
    EXPECT_EQ(Translate(u"config"), u"config");
    EXPECT_EQ(Translate(u"  Exit"), u"退出");
    EXPECT_EQ(Translate(u"Exit"), u"Exit");
    EXPECT_EQ(Translate(u"GAMING MOUSE DRIVER"), u"GAMING MOUSE DRIVER");
    FTranslator.RemoveCurrent();
    EXPECT_EQ(Translate(u"Config"), u"Config");
}

TEST_F(TranslatorTest, TheCurrentLanguageIsACopy) {
    TSortedStrings list = List(u"OK=确定\r\n");
    FTranslator.MakeCurrent(list);
    list.SetValue(u"OK", u"好");
    EXPECT_EQ(Translate(u"OK"), u"确定");
}

TEST_F(TranslatorTest, RemovingALanguageTranslatesSceneTextsBackInReverseMode) {
    PlainSceneTexts scene(u"Config");
    FTranslator.MakeCurrent(List(u"Config=配置\r\n"));
    EXPECT_EQ(scene.Text, u"配置");
    FTranslator.RemoveCurrent();
    EXPECT_EQ(scene.Text, u"Config");
    EXPECT_FALSE(FTranslator.Reverse());
}

TEST_F(TranslatorTest, CollectingGathersEveryTextAskedFor) {
    EXPECT_EQ(Translate(u"before"), u"before");
    FTranslator.StartCollecting();
    Translate(u"Config");
    Translate(u"");
    Translate(u"Exit");
    EXPECT_EQ(FTranslator.StopCollecting(), (std::vector<std::u16string>{u"Config", u"Exit"}));
    EXPECT_FALSE(FTranslator.Collecting());
    Translate(u"after");
    EXPECT_TRUE(FTranslator.StopCollecting().empty());
}

TEST_F(TranslatorTest, ScenesSwitchForwardAndBackAndKeepFixedItems) {
    TTranslatedScene scene(SceneOf({{"BtnOK", u"OK"}, {"TextWeb", u"OK"}, {"Label1", u"About"}}),
                           {"TextWeb"});
    int changes = 0;
    scene.OnChanged = [&] { ++changes; };
    EXPECT_EQ(Texts(scene.Current()), (std::vector<std::u16string>{u"OK", u"OK", u"About"}));

    FTranslator.MakeCurrent(List(u"OK=确定\r\nAbout=关于\r\n"));
    EXPECT_EQ(Texts(scene.Current()), (std::vector<std::u16string>{u"确定", u"OK", u"关于"}));
    FTranslator.MakeCurrent(List(u"OK=OK\r\nAbout=À propos\r\n"));
    EXPECT_EQ(Texts(scene.Current()), (std::vector<std::u16string>{u"OK", u"OK", u"À propos"}));
    FTranslator.RemoveCurrent();
    EXPECT_EQ(Texts(scene.Current()), (std::vector<std::u16string>{u"OK", u"OK", u"About"}));
    EXPECT_GT(changes, 0);
}

TEST_F(TranslatorTest, TextsSharingATranslationReturnToTheirOwnSources) {
    TTranslatedScene scene(SceneOf({{"a", u"Config"}, {"b", u"Configuration"}}));
    FTranslator.MakeCurrent(List(u"Config=配置\r\nConfiguration=配置\r\n"));
    EXPECT_EQ(Texts(scene.Current()), (std::vector<std::u16string>{u"配置", u"配置"}));
    FTranslator.RemoveCurrent();
    EXPECT_EQ(Texts(scene.Current()), (std::vector<std::u16string>{u"Config", u"Configuration"}));
}

TEST_F(TranslatorTest, ASceneShowsTheCurrentLanguageFromItsStartAndLeavesWhenItGoes) {
    FTranslator.MakeCurrent(List(u"OK=确定\r\n"));
    {
        TTranslatedScene scene(SceneOf({{"BtnOK", u"OK"}}));
        EXPECT_EQ(Texts(scene.Current()), (std::vector<std::u16string>{u"确定"}));
    }
    // The scene that went is not asked again.
    FTranslator.RemoveCurrent();
    FTranslator.MakeCurrent(List(u"OK=好\r\n"));
}

} // namespace
} // namespace zq::test
