#pragma once
// The registry in memory: keys and value names without regard to case, values
// with their type and bytes.

#include "platform/Registry.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zq::sim {

class SimRegistry : public IRegistry {
public:
    bool OpenOrCreateKey(RegistryRoot root, const std::u16string& keyPath,
                         KeyAccess access) override;
    RegistryResult ReadValue(RegistryRoot root, const std::u16string& keyPath,
                             const std::u16string& name, RegistryValue& value) override;
    bool WriteBinary(RegistryRoot root, const std::u16string& keyPath, const std::u16string& name,
                     std::span<const std::uint8_t> data) override;
    bool DeleteValue(RegistryRoot root, const std::u16string& keyPath,
                     const std::u16string& name) override;

    // For tests and the simulator: seed and inspect values directly.
    void SetValue(RegistryRoot root, const std::u16string& keyPath, const std::u16string& name,
                  RegistryValue value);
    std::optional<RegistryValue> GetValue(RegistryRoot root, const std::u16string& keyPath,
                                          const std::u16string& name) const;
    bool KeyExists(RegistryRoot root, const std::u16string& keyPath) const;
    // Value names of a key as they were written.
    std::vector<std::u16string> ValueNames(RegistryRoot root, const std::u16string& keyPath) const;
    // Makes every key operation fail (an inaccessible key).
    void SetFailing(bool failing) { FFailing = failing; }
    // Keys open for reading only and values cannot be written (a key the user
    // may read but not change).
    void SetReadOnly(bool readOnly) { FReadOnly = readOnly; }
    // Counts writes, so tests can tell that nothing was written.
    int WriteCount() const { return FWrites; }

private:
    struct Key {
        std::map<std::u16string, std::pair<std::u16string, RegistryValue>> Values; // by lower name
    };
    using KeyId = std::pair<RegistryRoot, std::u16string>; // path in lower case

    static KeyId Id(RegistryRoot root, const std::u16string& keyPath);

    mutable std::mutex FMutex;
    std::map<KeyId, Key> FKeys;
    bool FFailing = false;
    bool FReadOnly = false;
    int FWrites = 0;
};

} // namespace zq::sim
