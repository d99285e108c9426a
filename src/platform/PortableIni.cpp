#include "platform/PortableIni.h"

#include "platform/Text.h"

#include <fstream>
#include <system_error>

namespace zq {

namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

std::u16string DecodeFile(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return FromUtf8(bytes.substr(3));
    if (bytes.size() >= 2 &&
        (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
        const bool bigEndian = bytes[0] == '\xFE';
        std::u16string text;
        text.reserve(bytes.size() / 2);
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
            const auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
            text += static_cast<char16_t>(lo | (hi << 8));
        }
        return text;
    }
    return FromWindows1252(bytes);
}

// A text read from the file ends at its first zero character, as a C string would.
std::u16string UpToZero(std::u16string_view text) {
    return std::u16string(text.substr(0, text.find(u'\0')));
}

} // namespace

PortableIniFile::PortableIniFile(std::string_view bytes) {
    const std::u16string text = DecodeFile(bytes);
    Section* current = nullptr; // made for the first entry before any section
    std::size_t pos = 0;
    while (pos < text.size()) {
        // A line ends at CR LF, or at a CR or an LF alone.
        std::size_t end = text.find_first_of(u"\r\n", pos);
        if (end == std::u16string::npos)
            end = text.size();
        std::size_t begin = pos;
        pos = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
        while (begin < end && IsSpace(text[begin]))
            ++begin;
        while (end > begin && IsSpace(text[end - 1]))
            --end;
        if (begin == end)
            continue;
        const std::u16string_view line(text.data() + begin, end - begin);
        if (line[0] == u'[') {
            // The name runs to the last bracket, without the spaces inside them.
            const std::size_t close = line.rfind(u']');
            if (close != std::u16string_view::npos) {
                std::size_t nameBegin = 1, nameEnd = close;
                while (nameBegin < nameEnd && IsSpace(line[nameBegin]))
                    ++nameBegin;
                while (nameEnd > nameBegin && IsSpace(line[nameEnd - 1]))
                    --nameEnd;
                FSections.push_back(
                    Section{UpToZero(line.substr(nameBegin, nameEnd - nameBegin)), {}});
                current = &FSections.back();
                continue;
            }
        }
        // Entries before the first section form a section without a name.
        if (!current) {
            FSections.push_back(Section{});
            current = &FSections.back();
        }
        Entry entry;
        const std::size_t eq = line.find(u'=');
        if (eq == std::u16string_view::npos) {
            entry.Name = UpToZero(line);
        } else {
            std::size_t nameEnd = eq;
            while (nameEnd > 0 && IsSpace(line[nameEnd - 1]))
                --nameEnd;
            std::size_t valueBegin = eq + 1;
            while (valueBegin < line.size() && IsSpace(line[valueBegin]))
                ++valueBegin;
            entry.Name = UpToZero(line.substr(0, nameEnd));
            entry.Value = UpToZero(line.substr(valueBegin));
        }
        current->Entries.push_back(std::move(entry));
    }
}

const PortableIniFile::Section* PortableIniFile::FindSection(const std::u16string& name) const {
    // Only the first section of a name is consulted, as by the Windows reader.
    for (const auto& section : FSections)
        if (EqualsIgnoreAsciiCase(section.Name, name))
            return &section;
    return nullptr;
}

std::u16string PortableIniFile::ReadString(const std::u16string& section, const std::u16string& key,
                                           const std::u16string& def) {
    const Section* s = FindSection(section);
    if (!s)
        return def;
    for (const auto& entry : s->Entries) {
        if (!EqualsIgnoreAsciiCase(entry.Name, key))
            continue;
        if (!entry.Value)
            return def;
        std::u16string value = *entry.Value;
        // A value enclosed in matching quotes loses them.
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return def;
}

std::vector<std::u16string> PortableIniFile::ReadSectionKeys(const std::u16string& section) {
    std::vector<std::u16string> names;
    if (const Section* s = FindSection(section))
        for (const auto& entry : s->Entries)
            if (!entry.Name.empty() && entry.Name[0] != u';') // comment lines are no keys
                names.push_back(entry.Name);
    return names;
}

std::unique_ptr<IIniFile> PortableIniReader::Open(const std::filesystem::path& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    std::string bytes;
    if (!ec && size <= MaxFileSize) {
        std::ifstream in(file, std::ios::binary);
        if (in) {
            bytes.resize(static_cast<std::size_t>(size));
            in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            bytes.resize(static_cast<std::size_t>(in.gcount()));
        }
    }
    return std::make_unique<PortableIniFile>(bytes);
}

} // namespace zq
