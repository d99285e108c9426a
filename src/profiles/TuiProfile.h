#pragma once
// One stored blob (a profile or a settings record) kept in an in-memory stream and
// moved, unchanged, to and from one registry value or one file. The component knows
// nothing of the record inside: its owner copies the record in (Write), saves or
// loads the stream, and copies it back out (Read). When a blob is missing the owner
// asks for defaults (RestoreToDefault), which hands the stream to its handler.
//
// Every operation runs: before-event (which may veto), checks, transfer,
// after-event; the after-event runs only when the transfer took place. Expected
// failures (a veto, an unusable root, empty names, a missing value or file, a
// folder that cannot be made) answer false and leave the stream as it was. A
// failure of the platform during the transfer itself (a value that is not binary,
// a file that cannot be read or written) throws EProfileStorageError.

#include "platform/Registry.h"
#include "profiles/MemoryStream.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace zq {

// A stored blob could not be moved: the platform refused the transfer itself, or a
// folder the profiles need could not be made.
class EProfileStorageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Fills the stream with defaults.
using TuiProfileOnRestoreToDefault = std::function<void(TMemoryStream& AStream)>;
// Before an operation; clearing bContinue (true on entry) stops it.
using TuiProfileEvent = std::function<void(TMemoryStream& AStream, bool& bContinue)>;
// After an operation that succeeded.
using TuiProfileEvent2 = std::function<void(TMemoryStream& AStream)>;

class TuiProfile {
public:
    // A stored file longer than this cannot hold any record of ours (the
    // largest is 121400 bytes); it is refused as unreadable, not read whole.
    static constexpr std::uintmax_t MaxFileBytes = 16u << 20;

    explicit TuiProfile(IRegistry& registry) : FRegistry(registry) {}
    TuiProfile(const TuiProfile&) = delete;
    TuiProfile& operator=(const TuiProfile&) = delete;

    // Only CurrentUser and LocalMachine are used by the registry operations.
    RegistryRoot RootKey() const { return FRootKey; }
    void SetRootKey(RegistryRoot value) { FRootKey = value; }
    // The key below the root, without a leading separator.
    const std::u16string& KeyPath() const { return FKeyPath; }
    void SetKeyPath(const std::u16string& value);
    // The registry value name, and the file name inside FilePath.
    const std::u16string& FileName() const { return FFileName; }
    void SetFileName(const std::u16string& value);
    // The folder of the file, kept with a trailing separator. Taken only when it
    // names an existing folder; otherwise the old value stays, silently.
    const std::u16string& FilePath() const { return FFilePath; }
    void SetFilePath(const std::u16string& value);
    // The stream size after the last Write or SetSize (a load does not change it).
    std::int64_t Size() const { return FSize; }
    void SetSize(std::int64_t value);

    const TMemoryStream& Stream() const { return FMemoryStream; }

    // Writes Count bytes at the start of the stream (which grows when needed and
    // never shrinks); the number written.
    std::int32_t Write(const void* Buffer, std::int32_t Count);
    // Copies up to Count bytes from the start of the stream; fewer when the stream
    // is shorter, the rest of Buffer untouched. The number copied.
    std::int32_t Read(void* Buffer, std::int32_t Count);

    // The value FileName of the key KeyPath under RootKey; the stream takes exactly
    // the stored length.
    bool LoadStreamFromRegistry();
    // Writes the whole stream as the binary value FileName, creating the key.
    bool SaveStreamToRegistry();

    // From FilePath + FileName.
    bool LoadStreamFromFile();
    // From the given file; FilePath and FileName stay.
    bool LoadStreamFromFile(const std::u16string& strFilewithpath);
    // To FilePath + FileName.
    bool SaveStreamToFile();
    // To the given file, making its folder (one level) when missing; FilePath and
    // FileName stay.
    bool SaveStreamToFile(const std::u16string& strFileWithPath);
    // Makes the folder of the given file (one level) when missing and takes its
    // folder and name as FilePath and FileName. No event, nothing written.
    bool PreSaveStreamToFile(const std::u16string& strFileWithPath);

    // Hands the stream to OnRestoreToDefault; without a handler nothing changes.
    void RestoreToDefault();

    TuiProfileOnRestoreToDefault OnRestoreToDefault;
    TuiProfileEvent OnBeforeSaveToRegistry;
    TuiProfileEvent OnBeforeSaveToFile;
    TuiProfileEvent OnBeforeLoadFromRegistry;
    TuiProfileEvent OnBeforeLoadFromFile;
    TuiProfileEvent2 OnAfterSaveToRegistry;
    TuiProfileEvent2 OnAfterSaveToFile;
    TuiProfileEvent2 OnAfterLoadFromRegistry;
    TuiProfileEvent2 OnAfterLoadFromFile;

private:
    bool Continue(const TuiProfileEvent& before);
    bool RegistryNamesUsable() const;
    void LoadFile(const std::u16string& file);
    void SaveFile(const std::u16string& file);

    IRegistry& FRegistry;
    TMemoryStream FMemoryStream;
    RegistryRoot FRootKey = RegistryRoot::None;
    std::u16string FKeyPath;
    std::u16string FFileName;
    std::u16string FFilePath;
    std::int64_t FSize = 0;
};

} // namespace zq
