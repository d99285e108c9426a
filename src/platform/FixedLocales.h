#pragma once
// Locales from a fixed table, for the simulated world and for systems whose own
// locale names do not take the Windows forms. The keys are the Windows language
// identifiers ("0409", "0804") so that tables and language files mean the same
// on every platform.

#include "platform/Locales.h"

#include <vector>

namespace zq {

class FixedLocales : public ILocales {
public:
    // A dozen common locales, English (United States) the user's and system's default.
    FixedLocales();

    std::vector<LocaleInfo> SupportedLocales() override { return FLocales; }
    std::u16string UserDefaultLanguageAbbreviation() override { return FUserAbbreviation; }
    std::uint16_t SystemDefaultLanguageId() override { return FSystemLanguageId; }

    void SetLocales(std::vector<LocaleInfo> locales) { FLocales = std::move(locales); }
    void SetUserDefaultLanguageAbbreviation(std::u16string abbreviation) {
        FUserAbbreviation = std::move(abbreviation);
    }
    void SetSystemDefaultLanguageId(std::uint16_t id) { FSystemLanguageId = id; }

    // The fixed table itself.
    static const std::vector<LocaleInfo>& StandardLocales();

private:
    std::vector<LocaleInfo> FLocales;
    std::u16string FUserAbbreviation = u"ENU";
    std::uint16_t FSystemLanguageId = 0x0409;
};

} // namespace zq
