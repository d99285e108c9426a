#pragma once
// Installing the filter driver on the mouse's device nodes, taking it off again,
// and telling whether a mouse of the configured kind is attached. Nothing in the
// monitor calls these (it takes the driver as installed); they belong to the
// driver channel's interface for the tools that do.

#include "platform/DeviceSetup.h"
#include "platform/System.h"
#include "profiles/ConfigFile.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zq {

class DriverInstallation {
public:
    // hidList: identifiers telling that the mouse is present ("devicelist");
    // usbList: identifiers of the device nodes that get the filter ("usbdevicelist").
    DriverInstallation(IDeviceSetup& setup, ISystem& system, TDriverInfo info,
                       std::vector<std::u16string> hidList, std::vector<std::u16string> usbList);

    const std::vector<std::u16string>& HidDeviceList() const { return FHidDeviceList; }
    const std::vector<std::u16string>& UsbDeviceList() const { return FUsbDeviceList; }
    const TDriverInfo& DriverInfo() const { return FDriverInfo; }

    // One of the identifiers is in the list (whole identifiers, case ignored).
    bool HardwareIdsInConfigHidList(const std::vector<std::u16string>& hardwareIds) const;
    bool HardwareIdsInConfigUsbList(const std::vector<std::u16string>& hardwareIds) const;
    // A present device has an identifier of the "devicelist" list.
    bool IsHIDDeviceExist();
    // A present device has exactly this identifier (case ignored).
    bool ISHIDDeviceExist(const std::u16string& vidPid);
    // Installs (true) or removes (false) the filter on every present device of
    // the "usbdevicelist" list.
    void HidInstallDriver(bool install);

    // Which way the package is installed on this system.
    bool UsesInstallerTool();

private:
    // Some present device of the HID setup class has identifiers that match.
    bool AnyPresentDevice(const std::function<bool(const std::vector<std::u16string>&)>& matches);
    void InstallWithTool(bool install);
    // The manual method: the driver file in the drivers folder and its service,
    // once per installation; then our filter on each device, or off it again.
    bool InstallDriverFile();
    void AddFilter(IDeviceWalk& walk, std::size_t device, const DeviceNode& node);
    void RemoveFilter(IDeviceWalk& walk, std::size_t device, const DeviceNode& node);
    std::vector<std::u16string> FilterSlot(const DeviceNode& node) const;

    IDeviceSetup& FSetup;
    ISystem& FSystem;
    TDriverInfo FDriverInfo;
    std::vector<std::u16string> FHidDeviceList;
    std::vector<std::u16string> FUsbDeviceList;
};

} // namespace zq
