#include "driver/DriverInstallation.h"

#include "driver/SystemInfo.h"
#include "platform/Text.h"

#include <algorithm>

namespace zq {

namespace {

bool AnyInList(const std::vector<std::u16string>& list,
               const std::vector<std::u16string>& hardwareIds) {
    return std::any_of(hardwareIds.begin(), hardwareIds.end(),
                       [&](const std::u16string& id) { return ContainsIgnoreAsciiCase(list, id); });
}

} // namespace

DriverInstallation::DriverInstallation(IDeviceSetup& setup, ISystem& system, TDriverInfo info,
                                       std::vector<std::u16string> hidList,
                                       std::vector<std::u16string> usbList)
    : FSetup(setup), FSystem(system), FDriverInfo(std::move(info)),
      FHidDeviceList(std::move(hidList)), FUsbDeviceList(std::move(usbList)) {}

bool DriverInstallation::HardwareIdsInConfigHidList(
    const std::vector<std::u16string>& hardwareIds) const {
    return AnyInList(FHidDeviceList, hardwareIds);
}

bool DriverInstallation::HardwareIdsInConfigUsbList(
    const std::vector<std::u16string>& hardwareIds) const {
    return AnyInList(FUsbDeviceList, hardwareIds);
}

bool DriverInstallation::AnyPresentDevice(
    const std::function<bool(const std::vector<std::u16string>&)>& matches) {
    const auto walk = FSetup.WalkHidClassDevices();
    if (!walk)
        return false;
    for (std::size_t i = 0; i < walk->Count(); ++i)
        if (matches(walk->Read(i).HardwareIds))
            return true;
    return false;
}

bool DriverInstallation::IsHIDDeviceExist() {
    return AnyPresentDevice([this](const auto& ids) { return HardwareIdsInConfigHidList(ids); });
}

bool DriverInstallation::ISHIDDeviceExist(const std::u16string& vidPid) {
    return AnyPresentDevice([&](const auto& ids) { return ContainsIgnoreAsciiCase(ids, vidPid); });
}

bool DriverInstallation::UsesInstallerTool() {
    return FDriverInfo.WHQL != 0 &&
           (FDriverInfo.X32WHQL != 0 || IsWin64(FSystem.GetArchitecture()));
}

std::vector<std::u16string> DriverInstallation::FilterSlot(const DeviceNode& node) const {
    return FDriverInfo.UpperFilter == 1 ? node.UpperFilters : node.LowerFilters;
}

void DriverInstallation::HidInstallDriver(bool install) {
    const auto walk = FSetup.WalkHidClassDevices();
    if (!walk)
        return;
    const bool tool = UsesInstallerTool();
    // The manual method copies the driver file and registers the service once for
    // all devices: after the first device's restart the file is loaded and in use.
    std::optional<bool> driverReady;
    bool filterRemoved = false;
    for (std::size_t i = 0; i < walk->Count(); ++i) {
        // Read when reached: the installer tool may already have given this
        // device our filter while it installed for an earlier one.
        const DeviceNode node = walk->Read(i);
        if (!HardwareIdsInConfigUsbList(node.HardwareIds))
            continue;
        const bool installed = ContainsIgnoreAsciiCase(FilterSlot(node), FDriverInfo.ServiceName);
        if (install) {
            const auto status = installed ? walk->Status(i) : std::nullopt;
            const bool hasProblem = status && (*status & DN_HAS_PROBLEM_) != 0;
            if (installed && !hasProblem)
                continue;
            if (tool) {
                InstallWithTool(true);
                continue;
            }
            if (!driverReady)
                driverReady = InstallDriverFile();
            if (*driverReady)
                AddFilter(*walk, i, node);
        } else if (installed) {
            if (tool) {
                InstallWithTool(false);
                continue;
            }
            RemoveFilter(*walk, i, node);
            filterRemoved = true;
        }
    }
    // The service goes once, after every device has let go of it: a filter list
    // that still named a deleted service would keep its device from starting.
    if (filterRemoved)
        FSetup.DeleteService(FDriverInfo.ServiceName);
}

void DriverInstallation::InstallWithTool(bool install) {
    const SystemArchitecture architecture = FSystem.GetArchitecture();
    const bool xp64 = IsWindowsXP64(FSystem.GetOsVersion(), architecture);
    const char16_t* folderName = !IsWin64(architecture) ? u"DRIVERX86"
                                 : xp64                 ? u"XP64"
                                                        : u"DRIVERX64";
    const auto folder = FSystem.ExecutableFolder() / folderName;
    std::u16string parameters = (install ? u"/i " : u"/u ") + FDriverInfo.InfFileName;
    // The XP x64 build of the tool takes no options.
    if (!xp64)
        parameters +=
            install ? u" DRIVER_PACKAGE_SILENT DRIVER_PACKAGE_FORCE"
                    : u" DRIVER_PACKAGE_SILENT DRIVER_PACKAGE_FORCE DRIVER_PACKAGE_DELETE_FILES";
    FSetup.RunHiddenAndWait(folder / u"DIFxCmd.exe", parameters, folder);
}

bool DriverInstallation::InstallDriverFile() {
    const bool win64 = IsWin64(FSystem.GetArchitecture());
    const auto source =
        FSystem.ExecutableFolder() / (win64 ? u"DRIVERX64" : u"DRIVERX86") / FDriverInfo.FileName;
    const auto target = FSetup.WindowsFolder() / u"System32" / u"Drivers" / FDriverInfo.FileName;
    return FSetup.CopyOver(source, target) &&
           FSetup.InstallKernelService(FDriverInfo.ServiceName, target,
                                       FDriverInfo.ServiceName + u"_Display",
                                       FDriverInfo.ServiceName + u"_DisplayChange");
}

void DriverInstallation::AddFilter(IDeviceWalk& walk, std::size_t device, const DeviceNode& node) {
    // Our driver joins the filters the device already has; other software's
    // filters stay in place.
    auto filters = FilterSlot(node);
    if (!ContainsIgnoreAsciiCase(filters, FDriverInfo.ServiceName))
        filters.push_back(FDriverInfo.ServiceName);
    walk.SetFilters(device, FDriverInfo.UpperFilter == 1, filters);
    walk.Restart(device);
}

void DriverInstallation::RemoveFilter(IDeviceWalk& walk, std::size_t device,
                                      const DeviceNode& node) {
    // Only our driver leaves the device's filters.
    auto filters = FilterSlot(node);
    filters.erase(std::remove_if(filters.begin(), filters.end(),
                                 [&](const std::u16string& f) {
                                     return EqualsIgnoreAsciiCase(f, FDriverInfo.ServiceName);
                                 }),
                  filters.end());
    walk.SetFilters(device, FDriverInfo.UpperFilter == 1, filters);
    walk.Restart(device);
}

} // namespace zq
