#include "profiles/TuiProfile.h"

#include "platform/FileReplace.h"
#include "platform/Text.h"
#include "profiles/PathText.h"

#include <fstream>
#include <vector>

namespace zq {

void TuiProfile::SetKeyPath(const std::u16string& value) {
    if (value != FKeyPath)
        FKeyPath = value;
}

void TuiProfile::SetFileName(const std::u16string& value) {
    if (value != FFileName)
        FFileName = value;
}

void TuiProfile::SetFilePath(const std::u16string& value) {
    if (value != FFilePath && DirectoryExists(value))
        FFilePath = IncludeTrailingPathDelimiter(value);
}

void TuiProfile::SetSize(std::int64_t value) {
    if (value == FSize)
        return;
    FSize = value;
    FMemoryStream.SetSize(value);
    FMemoryStream.SetPosition(0);
}

std::int32_t TuiProfile::Write(const void* Buffer, std::int32_t Count) {
    FMemoryStream.SetPosition(0);
    const auto written = static_cast<std::int32_t>(FMemoryStream.Write(Buffer, Count));
    FSize = FMemoryStream.Size();
    return written;
}

std::int32_t TuiProfile::Read(void* Buffer, std::int32_t Count) {
    FMemoryStream.SetPosition(0);
    return static_cast<std::int32_t>(FMemoryStream.Read(Buffer, Count));
}

bool TuiProfile::Continue(const TuiProfileEvent& before) {
    bool bContinue = true;
    if (before)
        before(FMemoryStream, bContinue);
    return bContinue;
}

bool TuiProfile::RegistryNamesUsable() const {
    const bool rootUsable =
        FRootKey == RegistryRoot::CurrentUser || FRootKey == RegistryRoot::LocalMachine;
    return rootUsable && !FKeyPath.empty() && !FFileName.empty();
}

bool TuiProfile::LoadStreamFromRegistry() {
    if (!Continue(OnBeforeLoadFromRegistry))
        return false;
    if (!RegistryNamesUsable() || !FRegistry.OpenOrCreateKey(FRootKey, FKeyPath, KeyAccess::Read))
        return false;
    RegistryValue value;
    switch (FRegistry.ReadValue(FRootKey, FKeyPath, FFileName, value)) {
    case RegistryResult::NotFound:
        return false;
    case RegistryResult::Failed:
        throw EProfileStorageError("the registry value " + ToUtf8(FFileName) + " cannot be read");
    case RegistryResult::Ok:
        break;
    }
    // Only raw bytes are a stored blob; anything else is left alone, unread.
    if (value.Type != REG_BINARY_)
        throw EProfileStorageError("the registry value " + ToUtf8(FFileName) +
                                   " is not binary data");
    FMemoryStream.Assign(value.Data);
    if (OnAfterLoadFromRegistry)
        OnAfterLoadFromRegistry(FMemoryStream);
    return true;
}

bool TuiProfile::SaveStreamToRegistry() {
    if (!Continue(OnBeforeSaveToRegistry))
        return false;
    if (!RegistryNamesUsable() ||
        !FRegistry.OpenOrCreateKey(FRootKey, FKeyPath, KeyAccess::ReadWrite))
        return false;
    if (!FRegistry.WriteBinary(FRootKey, FKeyPath, FFileName, FMemoryStream.Bytes()))
        throw EProfileStorageError("the registry value " + ToUtf8(FFileName) +
                                   " cannot be written");
    if (OnAfterSaveToRegistry)
        OnAfterSaveToRegistry(FMemoryStream);
    return true;
}

void TuiProfile::LoadFile(const std::u16string& file) {
    std::ifstream in(ToPath(file), std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (size > static_cast<std::streamoff>(MaxFileBytes))
        throw EProfileStorageError("the file " + ToUtf8(file) + " is too large");
    std::vector<std::uint8_t> bytes;
    if (size >= 0 && in.seekg(0)) {
        bytes.resize(static_cast<std::size_t>(size));
        in.read(reinterpret_cast<char*>(bytes.data()), size);
    }
    if (size < 0 || !in || in.gcount() != size)
        throw EProfileStorageError("the file " + ToUtf8(file) + " cannot be read");
    // Read whole before the stream changes, so a failed read leaves it as it was.
    FMemoryStream.Assign(bytes);
}

void TuiProfile::SaveFile(const std::u16string& file) {
    // Never truncated in place: a power loss during the save leaves the old
    // profile or the new one.
    if (!ReplaceFileDurably(ToPath(file), FMemoryStream.Bytes()))
        throw EProfileStorageError("the file " + ToUtf8(file) + " cannot be written");
}

bool TuiProfile::LoadStreamFromFile() {
    if (!Continue(OnBeforeLoadFromFile))
        return false;
    if (FFilePath.empty())
        return false;
    FFilePath = IncludeTrailingPathDelimiter(FFilePath);
    const std::u16string file = FFilePath + FFileName;
    if (!FileExists(file))
        return false;
    LoadFile(file);
    if (OnAfterLoadFromFile)
        OnAfterLoadFromFile(FMemoryStream);
    return true;
}

bool TuiProfile::LoadStreamFromFile(const std::u16string& strFilewithpath) {
    if (!FileExists(strFilewithpath))
        return false;
    if (!Continue(OnBeforeLoadFromFile))
        return false;
    // The handler may have moved or removed the file.
    if (!FileExists(strFilewithpath))
        return false;
    LoadFile(strFilewithpath);
    if (OnAfterLoadFromFile)
        OnAfterLoadFromFile(FMemoryStream);
    return true;
}

bool TuiProfile::SaveStreamToFile() {
    if (!Continue(OnBeforeSaveToFile))
        return false;
    if (FFilePath.empty())
        return false;
    FFilePath = IncludeTrailingPathDelimiter(FFilePath);
    SaveFile(FFilePath + FFileName);
    if (OnAfterSaveToFile)
        OnAfterSaveToFile(FMemoryStream);
    return true;
}

bool TuiProfile::SaveStreamToFile(const std::u16string& strFileWithPath) {
    const std::u16string folder = ExtractFilePath(strFileWithPath);
    if (!DirectoryExists(folder) && !CreateDir(folder))
        return false;
    if (!Continue(OnBeforeSaveToFile))
        return false;
    SaveFile(strFileWithPath);
    if (OnAfterSaveToFile)
        OnAfterSaveToFile(FMemoryStream);
    return true;
}

bool TuiProfile::PreSaveStreamToFile(const std::u16string& strFileWithPath) {
    const std::u16string folder = ExtractFilePath(strFileWithPath);
    if (!DirectoryExists(folder) && !CreateDir(folder))
        return false;
    FFilePath = folder;
    FFileName = ExtractFileName(strFileWithPath);
    return true;
}

void TuiProfile::RestoreToDefault() {
    if (OnRestoreToDefault)
        OnRestoreToDefault(FMemoryStream);
}

} // namespace zq
