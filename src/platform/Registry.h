#pragma once
// Values under a registry key. The program stores its profiles as binary values;
// other value types may be met and are reported with their type.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zq {

enum class RegistryRoot : std::uint32_t { None = 0, CurrentUser, LocalMachine };

// Value types as the registry numbers them.
inline constexpr std::uint32_t REG_SZ_ = 1;
inline constexpr std::uint32_t REG_BINARY_ = 3;
inline constexpr std::uint32_t REG_DWORD_ = 4;

struct RegistryValue {
    std::uint32_t Type = REG_BINARY_;
    std::vector<std::uint8_t> Data;
};

enum class RegistryResult { Ok, NotFound, Failed };

// What a key is opened for: a key the user may only read cannot take a save.
enum class KeyAccess { Read, ReadWrite };

class IRegistry {
public:
    virtual ~IRegistry() = default;
    // Opens the key, creating it when missing; false when it cannot be opened
    // with the access asked for.
    virtual bool OpenOrCreateKey(RegistryRoot root, const std::u16string& keyPath,
                                 KeyAccess access) = 0;
    virtual RegistryResult ReadValue(RegistryRoot root, const std::u16string& keyPath,
                                     const std::u16string& name, RegistryValue& value) = 0;
    virtual bool WriteBinary(RegistryRoot root, const std::u16string& keyPath,
                             const std::u16string& name, std::span<const std::uint8_t> data) = 0;
    virtual bool DeleteValue(RegistryRoot root, const std::u16string& keyPath,
                             const std::u16string& name) = 0;
};

} // namespace zq
