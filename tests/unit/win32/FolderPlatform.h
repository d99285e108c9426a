#pragma once
// The Windows services with the program's folder moved into a folder of the
// test's own, so tests can put config.ini or "ui.local" beside "the program".

#include "platform/win32/Win32Platform.h"

#include <filesystem>

namespace zq::test {

class FolderSystem : public win32::Win32System {
public:
    explicit FolderSystem(std::filesystem::path folder) : FFolder(std::move(folder)) {}
    std::filesystem::path ExecutableFolder() override { return FFolder; }

private:
    std::filesystem::path FFolder;
};

class FolderPlatform {
public:
    // folder: the program's folder, with its trailing separator.
    explicit FolderPlatform(std::filesystem::path folder) : FSystem(std::move(folder)) {}
    FolderPlatform(const FolderPlatform&) = delete;
    FolderPlatform& operator=(const FolderPlatform&) = delete;

    zq::Platform& Platform() { return FServices; }
    win32::Win32Platform& Windows() { return FWindows; }

private:
    win32::Win32Platform FWindows;
    FolderSystem FSystem;
    zq::Platform FServices{.Loop = FWindows.Loop,
                           .Desktop = FWindows.Desktop,
                           .System = FSystem,
                           .Ini = FWindows.Ini,
                           .Registry = FWindows.Registry,
                           .Audio = FWindows.Audio,
                           .Driver = FWindows.Driver,
                           .Setup = FWindows.Setup,
                           .Locales = FWindows.Locales,
                           .Hid = FWindows.Hid,
                           .DeviceNotifications = FWindows.DeviceNotifications};
};

} // namespace zq::test
