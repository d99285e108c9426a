#include "profiles/PathText.h"

#include "platform/Text.h"

#include <system_error>

namespace zq {

bool IsPathDelimiter(char16_t c) {
#ifdef _WIN32
    return c == u'\\' || c == u'/';
#else
    return c == u'/';
#endif
}

std::u16string IncludeTrailingPathDelimiter(const std::u16string& path) {
    if (!path.empty() && IsPathDelimiter(path.back()))
        return path;
    return path + PathDelim;
}

std::u16string ExcludeTrailingPathDelimiter(const std::u16string& path) {
    std::size_t end = path.size();
    // A root keeps its separator: "/" alone, "\\" alone, or "C:\" (where "C:"
    // alone would name the drive's current folder).
    while (end > 1 && IsPathDelimiter(path[end - 1])) {
#ifdef _WIN32
        if (path[end - 2] == u':')
            break;
#endif
        --end;
    }
    return path.substr(0, end);
}

namespace {
// Index just past the folder part: after the last separator (or a drive colon).
std::size_t FolderEnd(const std::u16string& fileWithPath) {
    for (std::size_t i = fileWithPath.size(); i > 0; --i) {
        const char16_t c = fileWithPath[i - 1];
#ifdef _WIN32
        if (c == u':')
            return i;
#endif
        if (IsPathDelimiter(c))
            return i;
    }
    return 0;
}
} // namespace

std::u16string ExtractFilePath(const std::u16string& fileWithPath) {
    return fileWithPath.substr(0, FolderEnd(fileWithPath));
}

std::u16string ExtractFileName(const std::u16string& fileWithPath) {
    return fileWithPath.substr(FolderEnd(fileWithPath));
}

// Texts read from stored records may hold anything, lone surrogates included; the
// conversions must not throw on them. Windows paths are UTF-16 already.
std::filesystem::path ToPath(const std::u16string& text) {
#ifdef _WIN32
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
#else
    return std::filesystem::path(ToUtf8(text));
#endif
}

std::u16string FromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::wstring& wide = path.native();
    return std::u16string(wide.begin(), wide.end());
#else
    return FromUtf8(path.native());
#endif
}

// Folders are checked and made without their trailing separator: some C
// runtimes' checks fail on an existing folder named with one.
bool DirectoryExists(const std::u16string& folder) {
    std::error_code ec;
    return !folder.empty() &&
           std::filesystem::is_directory(ToPath(ExcludeTrailingPathDelimiter(folder)), ec);
}

bool FileExists(const std::u16string& file) {
    std::error_code ec;
    const auto status = std::filesystem::status(ToPath(file), ec);
    return !file.empty() && std::filesystem::exists(status) &&
           !std::filesystem::is_directory(status);
}

bool CreateDir(const std::u16string& folder) {
    if (folder.empty())
        return false;
    std::error_code ec;
    return std::filesystem::create_directory(ToPath(ExcludeTrailingPathDelimiter(folder)), ec) &&
           !ec;
}

} // namespace zq
