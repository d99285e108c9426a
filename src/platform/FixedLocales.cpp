#include "platform/FixedLocales.h"

namespace zq {

const std::vector<LocaleInfo>& FixedLocales::StandardLocales() {
    static const std::vector<LocaleInfo> locales = {
        {u"0404", u"中文(繁體)", u"Chinese (Traditional, Taiwan)", u"TWN"},
        {u"0407", u"Deutsch", u"German (Germany)", u"DEU"},
        {u"0409", u"English", u"English (United States)", u"USA"},
        {u"040C", u"français", u"French (France)", u"FRA"},
        {u"0410", u"italiano", u"Italian (Italy)", u"ITA"},
        {u"0411", u"日本語", u"Japanese (Japan)", u"JPN"},
        {u"0412", u"한국어", u"Korean (Korea)", u"KOR"},
        {u"0415", u"polski", u"Polish (Poland)", u"POL"},
        {u"0416", u"português", u"Portuguese (Brazil)", u"BRA"},
        {u"0419", u"русский", u"Russian (Russia)", u"RUS"},
        {u"041F", u"Türkçe", u"Turkish (Turkey)", u"TUR"},
        {u"0804", u"中文(简体)", u"Chinese (Simplified, PRC)", u"CHN"},
        {u"0809", u"English", u"English (United Kingdom)", u"GBR"},
        {u"0C0A", u"español", u"Spanish (Spain)", u"ESP"},
    };
    return locales;
}

FixedLocales::FixedLocales() : FLocales(StandardLocales()) {}

} // namespace zq
