#include "platform/Guid.h"

#include "platform/Text.h"

namespace zq {

namespace {

// Reads `digits` hexadecimal digits at text[pos] and moves pos past them.
bool ReadHex(std::u16string_view text, std::size_t& pos, int digits, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i, ++pos) {
        if (pos >= text.size())
            return false;
        const int d = HexDigitValue(text[pos]);
        if (d < 0)
            return false;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return true;
}

bool Expect(std::u16string_view text, std::size_t& pos, char16_t c) {
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

} // namespace

std::optional<Guid> ParseGuid(std::u16string_view text) {
    Guid guid;
    std::size_t pos = 0;
    std::uint32_t v = 0;
    if (!Expect(text, pos, u'{') || !ReadHex(text, pos, 8, v))
        return std::nullopt;
    guid.Data1 = v;
    if (!Expect(text, pos, u'-') || !ReadHex(text, pos, 4, v))
        return std::nullopt;
    guid.Data2 = static_cast<std::uint16_t>(v);
    if (!Expect(text, pos, u'-') || !ReadHex(text, pos, 4, v))
        return std::nullopt;
    guid.Data3 = static_cast<std::uint16_t>(v);
    if (!Expect(text, pos, u'-'))
        return std::nullopt;
    for (std::size_t i = 0; i < 8; ++i) {
        if (i == 2 && !Expect(text, pos, u'-'))
            return std::nullopt;
        if (!ReadHex(text, pos, 2, v))
            return std::nullopt;
        guid.Data4[i] = static_cast<std::uint8_t>(v);
    }
    if (!Expect(text, pos, u'}') || pos != text.size())
        return std::nullopt;
    return guid;
}

std::u16string GuidToText(const Guid& guid) {
    static constexpr char16_t Digits[] = u"0123456789abcdef";
    std::u16string text = u"{";
    auto put = [&](std::uint32_t value, int digits) {
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
            text += Digits[(value >> shift) & 0xF];
    };
    put(guid.Data1, 8);
    text += u'-';
    put(guid.Data2, 4);
    text += u'-';
    put(guid.Data3, 4);
    text += u'-';
    for (std::size_t i = 0; i < 8; ++i) {
        if (i == 2)
            text += u'-';
        put(guid.Data4[i], 2);
    }
    text += u'}';
    return text;
}

} // namespace zq
