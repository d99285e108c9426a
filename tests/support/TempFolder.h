#pragma once
// A fresh folder for one test, removed with everything in it afterwards.

#include <filesystem>
#include <string>
#include <string_view>

namespace zq::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    // The folder with a trailing separator, as the program forms folder texts.
    std::filesystem::path WithSeparator() const;
    // Writes a file below the folder (creating sub-folders) and returns its path.
    std::filesystem::path Write(const std::filesystem::path& relative,
                                std::string_view bytes) const;

private:
    std::filesystem::path FPath;
};

} // namespace zq::test
