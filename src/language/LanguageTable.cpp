#include "language/LanguageTable.h"

#include "language/TableStream.h"
#include "platform/FileReplace.h"
#include "platform/Text.h"

#include <fstream>
#include <system_error>

namespace zq {

int TLanguageTable::FindLanguage(std::u16string_view shortId) const {
    for (std::size_t i = 0; i < FLanguages.size(); ++i)
        if (EqualsIgnoreAsciiCase(FLanguages[i].ShortID, shortId))
            return static_cast<int>(i);
    return -1;
}

TLanguage* TLanguageTable::Language(std::u16string_view shortId) {
    const int index = FindLanguage(shortId);
    return index < 0 ? nullptr : &FLanguages[static_cast<std::size_t>(index)];
}

const TLanguage* TLanguageTable::Language(std::u16string_view shortId) const {
    const int index = FindLanguage(shortId);
    return index < 0 ? nullptr : &FLanguages[static_cast<std::size_t>(index)];
}

bool TLanguageTable::AddLanguage(std::u16string_view shortId) {
    if (FindLanguage(shortId) >= 0)
        return false;
    FLanguages.push_back({std::u16string(shortId), {}});
    return true;
}

bool TLanguageTable::LoadFromStream(std::span<const std::uint8_t> bytes) {
    auto content = ReadTableStream(bytes);
    if (!content)
        return false;
    FOriginals.SetText(content->OriginalsText);
    for (auto& language : content->Languages) {
        TLanguage entry{std::move(language.ShortID), {}};
        entry.Translations.SetText(language.TranslationText);
        FLanguages.push_back(std::move(entry));
    }
    return true;
}

std::vector<std::uint8_t> TLanguageTable::SaveToStream() const {
    TTableStreamContent content;
    content.OriginalsText = FOriginals.Text();
    for (const auto& language : FLanguages)
        content.Languages.push_back({language.ShortID, language.Translations.Text()});
    return WriteTableStream(content);
}

bool TLanguageTable::LoadFromFile(const std::filesystem::path& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec || size > MaxFileSize)
        return false;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    // A file that changed size while it was read is taken as it was found: the
    // bytes read, which the reader then judges.
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return LoadFromStream(bytes);
}

bool TLanguageTable::SaveToFile(const std::filesystem::path& file) const {
    return ReplaceFileDurably(file, SaveToStream());
}

} // namespace zq
