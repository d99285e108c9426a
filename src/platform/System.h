#pragma once
// Facts about the running system and process, and the single-instance lock.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace zq {

struct OsVersion {
    std::uint32_t PlatformId = 2; // 2 = the NT family
    std::uint32_t Major = 6;
    std::uint32_t Minor = 1;
    std::uint32_t Build = 7601;
};

// What the installer of the filter driver needs to know about the system.
struct SystemArchitecture {
    bool Process64 = true;             // this program runs as a 64-bit process
    bool Wow64 = false;                // a 32-bit process on a 64-bit system
    std::uint16_t NativeProcessor = 9; // 0 x86, 6 IA64, 9 AMD64
    std::uint8_t ProductType = 1;      // 1 workstation
    bool ServerR2 = false;             // GetSystemMetrics(SM_SERVERR2) != 0
};

// Held for the life of the process; releasing it ends the lock.
class INamedMutex {
public:
    virtual ~INamedMutex() = default;
};

struct NamedMutexResult {
    // Held by this process; null when it exists elsewhere or cannot be made.
    std::unique_ptr<INamedMutex> Mutex;
    // Another process made it first (or made it so that we may not open it).
    bool AlreadyExists = false;
};

class ISystem {
public:
    virtual ~ISystem() = default;
    virtual OsVersion GetOsVersion() = 0;
    virtual SystemArchitecture GetArchitecture() = 0;
    // The folder of the running executable, ending with a separator.
    virtual std::filesystem::path ExecutableFolder() = 0;
    // The user's personal documents folder, without a trailing separator; empty
    // when the system cannot tell.
    virtual std::filesystem::path DocumentsFolder() = 0;
    // A line to the debugger output.
    virtual void DebugOutput(const std::u16string& text) = 0;
    // True when a mutex of that name exists (another instance runs).
    virtual bool NamedMutexExists(const std::u16string& name) = 0;
    // Creates the mutex, owned by this process, and tells in the same step
    // whether another process has it already.
    virtual NamedMutexResult CreateNamedMutex(const std::u16string& name) = 0;
};

} // namespace zq
