#pragma once
// Reading INI files the way the platform's private-profile reader does: section
// and key names without regard to case, values trimmed, surrounding quotes
// removed, the first of repeated keys counting.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zq {

class IIniFile {
public:
    virtual ~IIniFile() = default;
    // The value of the key, or def when the file, the section or the key is
    // missing. A key present with an empty value gives the empty text.
    virtual std::u16string ReadString(const std::u16string& section, const std::u16string& key,
                                      const std::u16string& def) = 0;
    // The names of the section's keys in file order.
    virtual std::vector<std::u16string> ReadSectionKeys(const std::u16string& section) = 0;

    // An integer in decimal, or in hexadecimal with a leading "$" or "0x"; def when
    // the key is missing or its text is not such a number.
    std::int32_t ReadInteger(const std::u16string& section, const std::u16string& key,
                             std::int32_t def);
};

class IIniReader {
public:
    virtual ~IIniReader() = default;
    // Never fails: a missing or unreadable file reads as an empty one.
    virtual std::unique_ptr<IIniFile> Open(const std::filesystem::path& file) = 0;
};

// The integer rule of ReadInteger, on a text.
bool ParseIniInteger(const std::u16string& text, std::int32_t& value);

} // namespace zq
