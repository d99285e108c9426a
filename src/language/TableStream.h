#pragma once
// The byte layout of a translation table, shared by "ui.local" and the tables
// embedded in the program. All counts are 32-bit little-endian; a text is its
// count of UTF-16 code units followed by those units (little-endian, no
// terminator):
//
//   text   the source texts, each line ended by CR LF
//   int32  m, the number of languages
//   m times: text (the short ID), text (the translation list, lines ended by CR LF)
//
// There is no header, version or checksum. The file comes from a folder any user
// can write to, so the reader trusts nothing in it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zq {

struct TTableStreamLanguage {
    std::u16string ShortID;
    std::u16string TranslationText;
    bool operator==(const TTableStreamLanguage&) const = default;
};

struct TTableStreamContent {
    std::u16string OriginalsText;
    std::vector<TTableStreamLanguage> Languages;
    bool operator==(const TTableStreamContent&) const = default;
};

// Reads a whole stream. nullopt when it is not a well-formed table: a count that
// is negative or larger than the bytes left, a stream that ends early, a text
// holding a zero code unit or a surrogate that is not part of a pair. Bytes after
// the last language are ignored. Nothing is allocated beyond what the bytes can
// hold.
std::optional<TTableStreamContent> ReadTableStream(std::span<const std::uint8_t> bytes);

std::vector<std::uint8_t> WriteTableStream(const TTableStreamContent& content);

} // namespace zq
