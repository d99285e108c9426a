#include "platform/sim/SimDeviceSetup.h"

#include "platform/Text.h"

namespace zq::sim {

namespace {
std::string Joined(const std::vector<std::u16string>& names) {
    std::string text;
    for (const auto& name : names) {
        if (!text.empty())
            text += ',';
        text += ToUtf8(name);
    }
    return text.empty() ? "-" : text;
}
std::string PathText(const std::filesystem::path& path) {
    return ToUtf8(path.u16string());
}
} // namespace

class SimDeviceSetup::Walk : public IDeviceWalk {
public:
    // The walk lists the devices present when it began.
    explicit Walk(SimDeviceSetup& setup) : FSetup(setup), FCount(setup.FDevices.size()) {}
    std::size_t Count() const override { return FCount; }
    DeviceNode Read(std::size_t device) override {
        return device < FSetup.FDevices.size() ? FSetup.FDevices[device].Node : DeviceNode{};
    }
    std::optional<std::uint32_t> Status(std::size_t device) override {
        return device < FSetup.FDevices.size() ? FSetup.FDevices[device].Status : std::nullopt;
    }
    bool SetFilters(std::size_t device, bool upper,
                    const std::vector<std::u16string>& filters) override {
        if (device >= FSetup.FDevices.size())
            return false;
        auto& node = FSetup.FDevices[device].Node;
        (upper ? node.UpperFilters : node.LowerFilters) = filters;
        FSetup.FLog.Add("setup", std::string(upper ? "upper-filters " : "lower-filters ") +
                                     std::to_string(device) + " " + Joined(filters));
        return true;
    }
    void Restart(std::size_t device) override {
        FSetup.FLog.Add("setup", "restart " + std::to_string(device));
    }

private:
    SimDeviceSetup& FSetup;
    std::size_t FCount;
};

std::unique_ptr<IDeviceWalk> SimDeviceSetup::WalkHidClassDevices() {
    if (!FAvailable)
        return nullptr;
    return std::make_unique<Walk>(*this);
}

bool SimDeviceSetup::InstallKernelService(const std::u16string& name,
                                          const std::filesystem::path& imagePath,
                                          const std::u16string& displayName,
                                          const std::u16string& changedDisplayName) {
    if (FServiceFails)
        return false;
    const bool exists = FServices.count(name) != 0;
    FServices[name] = imagePath;
    FLog.Add("setup", std::string(exists ? "service-change " : "service-create ") + ToUtf8(name) +
                          " " + PathText(imagePath) + " " +
                          ToUtf8(exists ? changedDisplayName : displayName));
    return true;
}

bool SimDeviceSetup::DeleteService(const std::u16string& name) {
    if (FServiceFails || FServices.erase(name) == 0)
        return false;
    FLog.Add("setup", "service-delete " + ToUtf8(name));
    return true;
}

bool SimDeviceSetup::CopyOver(const std::filesystem::path& source,
                              const std::filesystem::path& target) {
    FLog.Add("setup", "copy " + PathText(source) + " " + PathText(target));
    return !FCopyFails;
}

bool SimDeviceSetup::RunHiddenAndWait(const std::filesystem::path& program,
                                      const std::u16string& parameters,
                                      const std::filesystem::path& folder) {
    FLog.Add("setup",
             "run " + PathText(program) + " " + ToUtf8(parameters) + " in " + PathText(folder));
    if (FOnRun)
        FOnRun(parameters);
    return true;
}

} // namespace zq::sim
