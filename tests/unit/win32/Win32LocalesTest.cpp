// The system's locales as Windows reports them, and the language component and
// editor over them.
#include "language/EmbeddedTables.h"
#include "language/TuiLanguage.h"
#include "platform/Text.h"
#include "platform/win32/Win32Platform.h"
#include "support/LanguageTesting.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <set>

namespace zq::test {
namespace {

bool IsLanguageId(const std::u16string& id) {
    if (id.size() != 4)
        return false;
    for (const char16_t c : id)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            return false;
    return true;
}

const LocaleInfo* Find(const std::vector<LocaleInfo>& locales, std::u16string_view id) {
    for (const auto& locale : locales)
        if (locale.LanguageId == id)
            return &locale;
    return nullptr;
}

TEST(Win32Locales, EverySupportedLanguageOnceByItsFourDigitIdentifier) {
    win32::Win32Locales locales;
    const auto supported = locales.SupportedLocales();
    ASSERT_FALSE(supported.empty());
    std::set<std::u16string> ids;
    for (const auto& locale : supported) {
        EXPECT_TRUE(IsLanguageId(locale.LanguageId)) << ToUtf8(locale.LanguageId);
        EXPECT_TRUE(ids.insert(locale.LanguageId).second) << ToUtf8(locale.LanguageId);
        EXPECT_FALSE(locale.LocalizedName.empty()) << ToUtf8(locale.LanguageId);
    }
    const LocaleInfo* english = Find(supported, u"0409");
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(english->NativeName, u"English");
    EXPECT_EQ(english->CountryAbbreviation, u"USA");
    const LocaleInfo* chinese = Find(supported, u"0804");
    ASSERT_NE(chinese, nullptr);
    EXPECT_FALSE(chinese->NativeName.empty());
    EXPECT_EQ(chinese->CountryAbbreviation, u"CHN");
}

TEST(Win32Locales, DefaultsAreThoseOfAKnownLocale) {
    win32::Win32Locales locales;
    const std::u16string system = FormatLanguageId(locales.SystemDefaultLanguageId());
    EXPECT_NE(Find(locales.SupportedLocales(), system), nullptr) << ToUtf8(system);
    const std::u16string abbreviation = locales.UserDefaultLanguageAbbreviation();
    EXPECT_EQ(abbreviation.size(), 3u) << ToUtf8(abbreviation);
}

TEST(Win32Locales, TheLanguageComponentNamesLanguagesFromTheSystem) {
    CleanTranslator clean;
    TempFolder folder;
    win32::Win32Platform platform;
    TuiLanguage language(platform.Platform(), nullptr, MonitorLanguageTable());
    EXPECT_EQ(language.GetLanguageLongNameByLangID(u"0409"), u"English");
    EXPECT_EQ(language.GetLanguageLongNameByShortID(u"0409"), u"English");
    EXPECT_EQ(language.GetOSDefaultLang(),
              FormatLanguageId(platform.Locales.SystemDefaultLanguageId()));
    EXPECT_EQ(language.GetLanguageLongNameByShortID(u"CH"), u"");
}

} // namespace
} // namespace zq::test
