#pragma once
// Helpers for tests of the language component: a clean program-wide translator
// for each test, and translation tables written as bytes or files.

#include "language/LanguageTable.h"
#include "language/Translator.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace zq::test {

// The translator as at program start, before and after the test.
class CleanTranslator {
public:
    CleanTranslator() { TTranslator::Instance().Reset(); }
    ~CleanTranslator() { TTranslator::Instance().Reset(); }
    CleanTranslator(const CleanTranslator&) = delete;
    CleanTranslator& operator=(const CleanTranslator&) = delete;
};

struct TestLanguage {
    std::u16string ShortID;
    std::vector<std::pair<std::u16string, std::u16string>> Translations;
};

// A table of these source texts and languages.
TLanguageTable MakeTable(std::initializer_list<std::u16string> originals,
                         std::initializer_list<TestLanguage> languages = {});
std::vector<std::uint8_t> TableBytes(const TLanguageTable& table);
// Writes the table as "ui.local" into the folder.
std::filesystem::path WriteLanguageFile(const std::filesystem::path& folder,
                                        const TLanguageTable& table);
std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);
// The bytes as the stream reader would take them, for writing odd files.
std::string AsString(const std::vector<std::uint8_t>& bytes);

} // namespace zq::test
