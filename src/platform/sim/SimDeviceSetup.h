#pragma once
// Device setup of the simulated world: a list of present devices with their
// identifiers, filters and status, a service table, and a log (channel "setup")
// of every change the program makes.

#include "platform/DeviceSetup.h"
#include "platform/sim/SimLog.h"

#include <functional>
#include <map>

namespace zq::sim {

class SimDeviceSetup : public IDeviceSetup {
public:
    struct Device {
        DeviceNode Node;
        std::optional<std::uint32_t> Status = 0;
    };

    explicit SimDeviceSetup(SimLog& log) : FLog(log) {}

    std::unique_ptr<IDeviceWalk> WalkHidClassDevices() override;
    bool InstallKernelService(const std::u16string& name, const std::filesystem::path& imagePath,
                              const std::u16string& displayName,
                              const std::u16string& changedDisplayName) override;
    bool DeleteService(const std::u16string& name) override;
    std::filesystem::path WindowsFolder() override { return FWindowsFolder; }
    bool CopyOver(const std::filesystem::path& source,
                  const std::filesystem::path& target) override;
    bool RunHiddenAndWait(const std::filesystem::path& program, const std::u16string& parameters,
                          const std::filesystem::path& folder) override;

    // The simulated system.
    std::vector<Device>& Devices() { return FDevices; }
    void SetAvailable(bool available) { FAvailable = available; }
    void SetCopyFails(bool fails) { FCopyFails = fails; }
    void SetServiceManagerFails(bool fails) { FServiceFails = fails; }
    // What the installer tool does to the simulated system, given its parameters.
    void SetOnRun(std::function<void(const std::u16string&)> onRun) { FOnRun = std::move(onRun); }
    // Existing services by name, with their image path.
    std::map<std::u16string, std::filesystem::path>& Services() { return FServices; }

private:
    class Walk;

    SimLog& FLog;
    std::vector<Device> FDevices;
    bool FAvailable = true;
    std::filesystem::path FWindowsFolder = u"C:\\Windows";
    bool FCopyFails = false;
    bool FServiceFails = false;
    std::map<std::u16string, std::filesystem::path> FServices;
    std::function<void(const std::u16string&)> FOnRun;
};

} // namespace zq::sim
