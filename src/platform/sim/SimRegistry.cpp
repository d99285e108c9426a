#include "platform/sim/SimRegistry.h"

#include "platform/Text.h"

namespace zq::sim {

SimRegistry::KeyId SimRegistry::Id(RegistryRoot root, const std::u16string& keyPath) {
    return {root, AsciiLower(keyPath)};
}

bool SimRegistry::OpenOrCreateKey(RegistryRoot root, const std::u16string& keyPath,
                                  KeyAccess access) {
    std::lock_guard lock(FMutex);
    if (FFailing || root == RegistryRoot::None || (FReadOnly && access == KeyAccess::ReadWrite))
        return false;
    FKeys[Id(root, keyPath)];
    return true;
}

RegistryResult SimRegistry::ReadValue(RegistryRoot root, const std::u16string& keyPath,
                                      const std::u16string& name, RegistryValue& value) {
    std::lock_guard lock(FMutex);
    if (FFailing)
        return RegistryResult::Failed;
    const auto key = FKeys.find(Id(root, keyPath));
    if (key == FKeys.end())
        return RegistryResult::NotFound;
    const auto it = key->second.Values.find(AsciiLower(name));
    if (it == key->second.Values.end())
        return RegistryResult::NotFound;
    value = it->second.second;
    return RegistryResult::Ok;
}

bool SimRegistry::WriteBinary(RegistryRoot root, const std::u16string& keyPath,
                              const std::u16string& name, std::span<const std::uint8_t> data) {
    std::lock_guard lock(FMutex);
    if (FFailing || root == RegistryRoot::None)
        return false;
    ++FWrites;
    FKeys[Id(root, keyPath)].Values[AsciiLower(name)] = {
        name, RegistryValue{REG_BINARY_, std::vector<std::uint8_t>(data.begin(), data.end())}};
    return true;
}

bool SimRegistry::DeleteValue(RegistryRoot root, const std::u16string& keyPath,
                              const std::u16string& name) {
    std::lock_guard lock(FMutex);
    const auto key = FKeys.find(Id(root, keyPath));
    return !FFailing && key != FKeys.end() && key->second.Values.erase(AsciiLower(name)) != 0;
}

void SimRegistry::SetValue(RegistryRoot root, const std::u16string& keyPath,
                           const std::u16string& name, RegistryValue value) {
    std::lock_guard lock(FMutex);
    FKeys[Id(root, keyPath)].Values[AsciiLower(name)] = {name, std::move(value)};
}

std::optional<RegistryValue> SimRegistry::GetValue(RegistryRoot root, const std::u16string& keyPath,
                                                   const std::u16string& name) const {
    std::lock_guard lock(FMutex);
    const auto key = FKeys.find(Id(root, keyPath));
    if (key == FKeys.end())
        return std::nullopt;
    const auto it = key->second.Values.find(AsciiLower(name));
    if (it == key->second.Values.end())
        return std::nullopt;
    return it->second.second;
}

bool SimRegistry::KeyExists(RegistryRoot root, const std::u16string& keyPath) const {
    std::lock_guard lock(FMutex);
    return FKeys.count(Id(root, keyPath)) != 0;
}

std::vector<std::u16string> SimRegistry::ValueNames(RegistryRoot root,
                                                    const std::u16string& keyPath) const {
    std::lock_guard lock(FMutex);
    std::vector<std::u16string> names;
    if (const auto key = FKeys.find(Id(root, keyPath)); key != FKeys.end())
        for (const auto& [lower, value] : key->second.Values)
            names.push_back(value.first);
    return names;
}

} // namespace zq::sim
