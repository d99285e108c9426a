#pragma once
// A translation table: the sorted source texts and an ordered list of languages,
// each a short ID and a sorted translation list ("source=translation" lines).
// Short IDs are compared without regard to case; texts with case.

#include "language/SortedStrings.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zq {

struct TLanguage {
    std::u16string ShortID;
    TSortedStrings Translations;
    bool operator==(const TLanguage&) const = default;
};

class TLanguageTable {
public:
    // The largest table file that is read at all; real tables are a few kilobytes.
    static constexpr std::uintmax_t MaxFileSize = 16 * 1024 * 1024;

    TSortedStrings& Originals() { return FOriginals; }
    const TSortedStrings& Originals() const { return FOriginals; }
    std::vector<TLanguage>& Languages() { return FLanguages; }
    const std::vector<TLanguage>& Languages() const { return FLanguages; }

    // Position of the first language with this short ID, or -1.
    int FindLanguage(std::u16string_view shortId) const;
    TLanguage* Language(std::u16string_view shortId);
    const TLanguage* Language(std::u16string_view shortId) const;
    // Adds a language with an empty translation list unless the short ID exists;
    // false when it did.
    bool AddLanguage(std::u16string_view shortId);
    void ClearLanguages() { FLanguages.clear(); }

    // Reads a table stream: its source texts replace ours and its languages are
    // appended after ours. A stream that is not well-formed changes nothing (false).
    bool LoadFromStream(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> SaveToStream() const;

    // The same with a file; false, changing nothing, when the file cannot be read,
    // is larger than MaxFileSize, or is not a well-formed table.
    bool LoadFromFile(const std::filesystem::path& file);
    // Creates or replaces the file. The new content is written beside it and
    // flushed to the disk before it takes the old file's place in one step, so
    // neither a failed write nor a power loss leaves a damaged file.
    bool SaveToFile(const std::filesystem::path& file) const;

    bool operator==(const TLanguageTable&) const = default;

private:
    TSortedStrings FOriginals;
    std::vector<TLanguage> FLanguages;
};

} // namespace zq
