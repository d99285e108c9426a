#include "platform/Locales.h"

namespace zq {

std::u16string FormatLanguageId(std::uint16_t id) {
    static constexpr char16_t Digits[] = u"0123456789ABCDEF";
    std::u16string text(4, u'0');
    for (int i = 3; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = Digits[id & 0xF];
        id = static_cast<std::uint16_t>(id >> 4);
    }
    return text;
}

} // namespace zq
