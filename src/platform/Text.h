#pragma once
// Conversions between the program's UTF-16 texts and other encodings.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; nullopt when the bytes are not valid UTF-8.
std::optional<std::u16string> FromUtf8Strict(std::string_view bytes);
// UTF-8 to UTF-16, invalid sequences becoming U+FFFD.
std::u16string FromUtf8(std::string_view bytes);
// One byte per character, as Windows-1252 reads them.
std::u16string FromWindows1252(std::string_view bytes);
// ASCII letters folded to lower case, everything else unchanged.
std::u16string AsciiLower(std::u16string_view text);
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);
// The list holds the text, compared as EqualsIgnoreAsciiCase does.
bool ContainsIgnoreAsciiCase(const std::vector<std::u16string>& list, std::u16string_view text);
// The value of a hexadecimal digit, or -1.
int HexDigitValue(char16_t c);
// The decimal digits of an integer.
std::u16string IntToText(long long value);

} // namespace zq
