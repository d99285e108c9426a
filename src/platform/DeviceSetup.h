#pragma once
// What installing the filter driver needs of the system's device setup: the
// present devices of the HID device setup class with their hardware identifiers
// and filter lists, changing a device's filters and restarting it, the service
// control manager, file copies and running the package's installer tool.

#include "platform/Guid.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zq {

struct DeviceNode {
    std::vector<std::u16string> HardwareIds;
    std::vector<std::u16string> LowerFilters;
    std::vector<std::u16string> UpperFilters;
};

// The device setup class of HID devices, whose present devices the walk lists.
inline constexpr Guid HidSetupClassGuid{
    0x745A17A0, 0x74D3, 0x11D0, {0xB6, 0xFE, 0x00, 0xA0, 0xC9, 0x0F, 0x57, 0xDA}};

// Device node status flag: the device has a problem.
inline constexpr std::uint32_t DN_HAS_PROBLEM_ = 0x400;

// The present devices of one walk; the indices stay valid while it lives.
class IDeviceWalk {
public:
    virtual ~IDeviceWalk() = default;
    virtual std::size_t Count() const = 0;
    // The device's identifiers and filter lists as they are now, so that a
    // walk sees what installing on an earlier device changed.
    virtual DeviceNode Read(std::size_t device) = 0;
    // The device node's status flags; nullopt when they cannot be read.
    virtual std::optional<std::uint32_t> Status(std::size_t device) = 0;
    // Replaces the upper or lower filter list of the device.
    virtual bool SetFilters(std::size_t device, bool upper,
                            const std::vector<std::u16string>& filters) = 0;
    // Disables the device, pauses 100 ms and enables it again.
    virtual void Restart(std::size_t device) = 0;
};

class IDeviceSetup {
public:
    virtual ~IDeviceSetup() = default;
    // Null when the device setup library or the device list is unavailable.
    virtual std::unique_ptr<IDeviceWalk> WalkHidClassDevices() = 0;

    // Registers a kernel driver service on demand start with the image path, or
    // points an existing one at it (displayName when created, changedDisplayName
    // when changed). True when the service exists afterwards.
    virtual bool InstallKernelService(const std::u16string& name,
                                      const std::filesystem::path& imagePath,
                                      const std::u16string& displayName,
                                      const std::u16string& changedDisplayName) = 0;
    virtual bool DeleteService(const std::u16string& name) = 0;

    // The system's Windows folder (e.g. C:\Windows), the same for every user.
    virtual std::filesystem::path WindowsFolder() = 0;
    // Deletes target if present, then copies source over it.
    virtual bool CopyOver(const std::filesystem::path& source,
                          const std::filesystem::path& target) = 0;
    // Runs a program hidden, in the folder, and waits until it ends.
    virtual bool RunHiddenAndWait(const std::filesystem::path& program,
                                  const std::u16string& parameters,
                                  const std::filesystem::path& folder) = 0;
};

} // namespace zq
