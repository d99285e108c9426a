#pragma once
// INI files through the platform's private-profile reader.

#include "platform/IniFile.h"

namespace zq::win32 {

class Win32IniFile : public IIniFile {
public:
    explicit Win32IniFile(std::filesystem::path file) : FFile(std::move(file)) {}
    std::u16string ReadString(const std::u16string& section, const std::u16string& key,
                              const std::u16string& def) override;
    std::vector<std::u16string> ReadSectionKeys(const std::u16string& section) override;

private:
    std::filesystem::path FFile;
};

class Win32IniReader : public IIniReader {
public:
    std::unique_ptr<IIniFile> Open(const std::filesystem::path& file) override {
        return std::make_unique<Win32IniFile>(file);
    }
};

} // namespace zq::win32
