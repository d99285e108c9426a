#pragma once
// The locales the system supports and the user's and system's defaults, as the
// language component and the language editor need them.

#include <cstdint>
#include <string>
#include <vector>

namespace zq {

struct LocaleInfo {
    // The language identifier as four upper-case hexadecimal digits ("0409", "0804").
    std::u16string LanguageId;
    // The language's name in that language ("English", "中文(简体)").
    std::u16string NativeName;
    // The locale's name in the user's interface language ("English (United States)").
    std::u16string LocalizedName;
    // The country's abbreviation ("USA"); empty for a locale without a country.
    std::u16string CountryAbbreviation;
};

class ILocales {
public:
    virtual ~ILocales() = default;
    // Every supported locale once, in the order the system lists them.
    virtual std::vector<LocaleInfo> SupportedLocales() = 0;
    // The abbreviated language name of the user's default locale ("ENU", "CHS").
    virtual std::u16string UserDefaultLanguageAbbreviation() = 0;
    // The system default language identifier (0x0409 for English, United States).
    virtual std::uint16_t SystemDefaultLanguageId() = 0;
};

// A language identifier in the four-digit form the locale tables use ("0409").
std::u16string FormatLanguageId(std::uint16_t id);

} // namespace zq
