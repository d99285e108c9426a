#pragma once
// Text fields of stored and wire records: a fixed array of UTF-16 code units, the
// text ended by a zero unit inside the array. The field is packed (alignment 1) so
// that it can sit at any offset of a packed record and still be passed by reference.

#include <cstddef>
#include <string>
#include <string_view>

namespace zq {

#pragma pack(push, 1)
template <std::size_t N> struct TFixedText {
    static_assert(N >= 1, "a text field needs room for its terminator");

    // The most characters (code units) that fit before the terminator.
    static constexpr std::size_t MaxLength = N - 1;

    char16_t Units[N];

    // The text up to the first zero unit; all N units when the field has none
    // (a field written by someone else is read, never overrun).
    std::u16string Get() const {
        std::u16string text;
        for (std::size_t i = 0; i < N && Units[i] != 0; ++i)
            text.push_back(Units[i]);
        return text;
    }

    // Writes the text and its terminator. A text too long for the field is cut to
    // MaxLength units (never through a surrogate pair); the units after the
    // terminator keep their content.
    void Set(std::u16string_view text) {
        std::size_t length = text.size() < MaxLength ? text.size() : MaxLength;
        if (length < text.size() && length > 0 && IsHighSurrogate(text[length - 1]))
            --length;
        for (std::size_t i = 0; i < length; ++i)
            Units[i] = text[i];
        Units[length] = 0;
    }

    static bool Fits(std::u16string_view text) { return text.size() <= MaxLength; }

private:
    static bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
};
#pragma pack(pop)

static_assert(sizeof(TFixedText<31>) == 62 && alignof(TFixedText<31>) == 1);

} // namespace zq
