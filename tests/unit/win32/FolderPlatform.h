#pragma once
// The Windows services with the program's folder moved into a folder of the
// test's own, so tests can put config.ini or "ui.local" beside "the program",
// and the debugger output kept for the test to read.

#include "platform/win32/Win32Platform.h"

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace zq::test {

class FolderSystem : public win32::Win32System {
public:
    explicit FolderSystem(std::filesystem::path folder) : FFolder(std::move(folder)) {}
    std::filesystem::path ExecutableFolder() override { return FFolder; }
    void DebugOutput(const std::u16string& text) override {
        std::lock_guard lock(FLock);
        FDebugLines.push_back(text);
    }
    std::vector<std::u16string> DebugLines() {
        std::lock_guard lock(FLock);
        return FDebugLines;
    }

private:
    std::filesystem::path FFolder;
    std::mutex FLock; // the debugger output also comes from reader threads
    std::vector<std::u16string> FDebugLines;
};

class FolderPlatform {
public:
    // folder: the program's folder, with its trailing separator; audio: the
    // recording side to use instead of the system's, when given.
    explicit FolderPlatform(std::filesystem::path folder, IAudio* audio = nullptr)
        : FSystem(std::move(folder)), FAudio(audio ? *audio : FWindows.Audio) {}
    FolderPlatform(const FolderPlatform&) = delete;
    FolderPlatform& operator=(const FolderPlatform&) = delete;

    zq::Platform& Platform() { return FServices; }
    win32::Win32Platform& Windows() { return FWindows; }
    FolderSystem& System() { return FSystem; }

private:
    win32::Win32Platform FWindows;
    FolderSystem FSystem;
    IAudio& FAudio;
    zq::Platform FServices{.Loop = FWindows.Loop,
                           .Desktop = FWindows.Desktop,
                           .System = FSystem,
                           .Ini = FWindows.Ini,
                           .Registry = FWindows.Registry,
                           .Audio = FAudio,
                           .Driver = FWindows.Driver,
                           .Setup = FWindows.Setup,
                           .Locales = FWindows.Locales,
                           .Hid = FWindows.Hid,
                           .DeviceNotifications = FWindows.DeviceNotifications};
};

} // namespace zq::test
