#pragma once
// Device setup on Windows: SetupAPI and the configuration manager bound at run
// time from the system folder (absent: no devices), the service control manager
// and the shell.

#include "platform/DeviceSetup.h"
#include "platform/win32/Handles.h"

namespace zq::win32 {

class Win32DeviceSetup : public IDeviceSetup {
public:
    Win32DeviceSetup();
    ~Win32DeviceSetup() override;
    Win32DeviceSetup(const Win32DeviceSetup&) = delete;
    Win32DeviceSetup& operator=(const Win32DeviceSetup&) = delete;

    std::unique_ptr<IDeviceWalk> WalkHidClassDevices() override;
    bool InstallKernelService(const std::u16string& name, const std::filesystem::path& imagePath,
                              const std::u16string& displayName,
                              const std::u16string& changedDisplayName) override;
    bool DeleteService(const std::u16string& name) override;
    std::filesystem::path WindowsFolder() override;
    bool CopyOver(const std::filesystem::path& source,
                  const std::filesystem::path& target) override;
    bool RunHiddenAndWait(const std::filesystem::path& program, const std::u16string& parameters,
                          const std::filesystem::path& folder) override;

    struct Api;

private:
    std::unique_ptr<Api> FApi;
};

} // namespace zq::win32
