#include "platform/IniFile.h"

#include "platform/Text.h"

#include <limits>

namespace zq {

// Decimal with an optional sign, or hexadecimal after "$" or "0x" (up to 32 bits,
// read as the bit pattern of a signed integer). Anything else is not a number.
bool ParseIniInteger(const std::u16string& text, std::int32_t& value) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && text[i] == u'$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' &&
               (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size())
        return false;
    std::uint64_t magnitude = 0;
    if (hex) {
        for (; i < text.size(); ++i) {
            const int d = HexDigitValue(text[i]);
            if (d < 0)
                return false;
            magnitude = magnitude * 16 + static_cast<unsigned>(d);
            if (magnitude > 0xFFFFFFFFull)
                return false;
        }
        auto bits = static_cast<std::uint32_t>(magnitude);
        if (negative)
            bits = 0u - bits;
        value = static_cast<std::int32_t>(bits);
        return true;
    }
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return false;
        magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - u'0');
        if (magnitude > 0x80000000ull)
            return false;
    }
    if (!negative &&
        magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

std::int32_t IIniFile::ReadInteger(const std::u16string& section, const std::u16string& key,
                                   std::int32_t def) {
    std::int32_t value = def;
    return ParseIniInteger(ReadString(section, key, u""), value) ? value : def;
}

} // namespace zq
