#include "support/LanguageTesting.h"

#include <fstream>
#include <iterator>

namespace zq::test {

TLanguageTable MakeTable(std::initializer_list<std::u16string> originals,
                         std::initializer_list<TestLanguage> languages) {
    TLanguageTable table;
    for (const auto& text : originals)
        table.Originals().Add(text);
    for (const auto& wanted : languages) {
        TLanguage language{wanted.ShortID, {}};
        for (const auto& [source, translation] : wanted.Translations)
            language.Translations.SetValue(source, translation);
        table.Languages().push_back(std::move(language));
    }
    return table;
}

std::vector<std::uint8_t> TableBytes(const TLanguageTable& table) {
    return table.SaveToStream();
}

std::filesystem::path WriteLanguageFile(const std::filesystem::path& folder,
                                        const TLanguageTable& table) {
    const auto file = folder / "ui.local";
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    const auto bytes = table.SaveToStream();
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return file;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>());
}

std::string AsString(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

} // namespace zq::test
