#pragma once
// Folder and file names as the profile records hold them: texts, folders kept
// with a trailing separator. The separator is the platform's ("\" on Windows,
// where "/" is accepted too; "/" elsewhere).

#include <filesystem>
#include <string>

namespace zq {

#ifdef _WIN32
inline constexpr char16_t PathDelim = u'\\';
#else
inline constexpr char16_t PathDelim = u'/';
#endif

bool IsPathDelimiter(char16_t c);
// The text with a separator at its end (an empty text becomes the separator alone).
std::u16string IncludeTrailingPathDelimiter(const std::u16string& path);
// The text without separators at its end, except the one of a root ("/", "C:\").
std::u16string ExcludeTrailingPathDelimiter(const std::u16string& path);
// The folder part of a file path, with its trailing separator; empty for a bare name.
std::u16string ExtractFilePath(const std::u16string& fileWithPath);
// The name after the last separator.
std::u16string ExtractFileName(const std::u16string& fileWithPath);

std::filesystem::path ToPath(const std::u16string& text);
std::u16string FromPath(const std::filesystem::path& path);

// Existence checks that never throw: an empty text names nothing. A folder may
// be named with or without its trailing separator.
bool DirectoryExists(const std::u16string& folder);
bool FileExists(const std::u16string& file);
// Creates one folder level; the parent must exist. False when it cannot be made.
bool CreateDir(const std::u16string& folder);

} // namespace zq
