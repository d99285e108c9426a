#include "platform/win32/Win32Ini.h"

#include "platform/win32/Handles.h"

namespace zq::win32 {

namespace {

// GetPrivateProfileStringW with a buffer that grows until the text fits; it
// reports a cut text by filling the buffer to size - 1 (size - 2 for lists).
std::wstring ReadProfile(const wchar_t* section, const wchar_t* key, const wchar_t* def,
                         const std::wstring& file, DWORD listSlack) {
    constexpr DWORD Limit = 64u * 1024 * 1024;
    for (DWORD size = 1024;; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD length =
            ::GetPrivateProfileStringW(section, key, def, buffer.data(), size, file.c_str());
        if (length + 1 + listSlack < size || size >= Limit) {
            buffer.resize(length);
            return buffer;
        }
    }
}

} // namespace

std::u16string Win32IniFile::ReadString(const std::u16string& section, const std::u16string& key,
                                        const std::u16string& def) {
    return FromWide(ReadProfile(Wide(section).c_str(), Wide(key).c_str(), Wide(def).c_str(),
                                FFile.wstring(), 0));
}

std::vector<std::u16string> Win32IniFile::ReadSectionKeys(const std::u16string& section) {
    // With no key, the reader lists the section's key names, each ended by a zero.
    const std::wstring list = ReadProfile(Wide(section).c_str(), nullptr, L"", FFile.wstring(), 1);
    std::vector<std::u16string> names;
    std::size_t start = 0;
    while (start < list.size()) {
        const std::size_t end = list.find(L'\0', start);
        const std::size_t stop = end == std::wstring::npos ? list.size() : end;
        if (stop > start)
            names.push_back(FromWide(list.data() + start, stop - start));
        start = stop + 1;
    }
    return names;
}

} // namespace zq::win32
