#pragma once
// An INI reader that follows the rules of the Windows private-profile reader, for
// the simulated world and the Linux port.

#include "platform/IniFile.h"

#include <optional>
#include <string>
#include <vector>

namespace zq {

class PortableIniFile : public IIniFile {
public:
    // Parses the file's bytes: UTF-8 or UTF-16 with a byte-order mark, otherwise
    // Windows-1252, as the Windows reader takes an unmarked file.
    explicit PortableIniFile(std::string_view bytes);

    std::u16string ReadString(const std::u16string& section, const std::u16string& key,
                              const std::u16string& def) override;
    std::vector<std::u16string> ReadSectionKeys(const std::u16string& section) override;

private:
    struct Entry {
        std::u16string Name;
        std::optional<std::u16string> Value; // none for a line without "="
    };
    struct Section {
        std::u16string Name;
        std::vector<Entry> Entries;
    };
    const Section* FindSection(const std::u16string& name) const;

    std::vector<Section> FSections;
};

class PortableIniReader : public IIniReader {
public:
    // Files larger than this read as empty: no configuration is anywhere near it.
    static constexpr std::uintmax_t MaxFileSize = 32u * 1024 * 1024;

    std::unique_ptr<IIniFile> Open(const std::filesystem::path& file) override;
};

} // namespace zq
