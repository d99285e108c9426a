#include "platform/win32/Win32Locales.h"

#include "platform/win32/Handles.h"

#include <cwchar>
#include <set>

namespace zq::win32 {

namespace {

// EnumSystemLocalesW hands each locale to a callback without a context value; the
// enumeration runs on the calling thread, so a thread-local target is enough.
thread_local std::vector<LCID>* EnumTarget = nullptr;

BOOL CALLBACK CollectLocale(LPWSTR text) {
    // The system names each locale by its identifier in hexadecimal ("00000409").
    wchar_t* end = nullptr;
    const unsigned long lcid = std::wcstoul(text, &end, 16);
    if (EnumTarget && end != text && *end == L'\0')
        EnumTarget->push_back(static_cast<LCID>(lcid));
    return TRUE;
}

std::u16string LocaleText(LCID locale, LCTYPE type) {
    const int size = ::GetLocaleInfoW(locale, type, nullptr, 0);
    if (size <= 1)
        return {};
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    const int got = ::GetLocaleInfoW(locale, type, text.data(), size);
    if (got <= 1)
        return {};
    // The count includes the terminating zero.
    return FromWide(text.data(), static_cast<std::size_t>(got - 1));
}

} // namespace

std::vector<LocaleInfo> Win32Locales::SupportedLocales() {
    std::vector<LCID> ids;
    EnumTarget = &ids;
    ::EnumSystemLocalesW(&CollectLocale, LCID_SUPPORTED);
    EnumTarget = nullptr;

    // Alternative sort orders share their language with the default one; each
    // language is listed once, under its first locale.
    std::vector<LocaleInfo> locales;
    std::set<LANGID> seen;
    for (const LCID lcid : ids) {
        const LANGID language = LANGIDFROMLCID(lcid);
        if (!seen.insert(language).second)
            continue;
        LocaleInfo info;
        info.LanguageId = FormatLanguageId(language);
        info.NativeName = LocaleText(lcid, LOCALE_SNATIVELANGNAME);
        info.LocalizedName = LocaleText(lcid, LOCALE_SLANGUAGE);
        info.CountryAbbreviation = LocaleText(lcid, LOCALE_SABBREVCTRYNAME);
        locales.push_back(std::move(info));
    }
    return locales;
}

std::u16string Win32Locales::UserDefaultLanguageAbbreviation() {
    return LocaleText(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME);
}

std::uint16_t Win32Locales::SystemDefaultLanguageId() {
    return ::GetSystemDefaultLangID();
}

} // namespace zq::win32
