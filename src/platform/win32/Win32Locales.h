#pragma once
// The system's locales and its default languages, as Windows reports them.

#include "platform/Locales.h"

namespace zq::win32 {

class Win32Locales : public ILocales {
public:
    std::vector<LocaleInfo> SupportedLocales() override;
    std::u16string UserDefaultLanguageAbbreviation() override;
    std::uint16_t SystemDefaultLanguageId() override;
};

} // namespace zq::win32
