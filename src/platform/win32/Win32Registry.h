#pragma once
// Registry values under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.

#include "platform/Registry.h"

namespace zq::win32 {

class Win32Registry : public IRegistry {
public:
    bool OpenOrCreateKey(RegistryRoot root, const std::u16string& keyPath,
                         KeyAccess access) override;
    RegistryResult ReadValue(RegistryRoot root, const std::u16string& keyPath,
                             const std::u16string& name, RegistryValue& value) override;
    bool WriteBinary(RegistryRoot root, const std::u16string& keyPath, const std::u16string& name,
                     std::span<const std::uint8_t> data) override;
    bool DeleteValue(RegistryRoot root, const std::u16string& keyPath,
                     const std::u16string& name) override;

    // For tests and tools: a value of any type, and a key removed with everything
    // below it.
    bool WriteValue(RegistryRoot root, const std::u16string& keyPath, const std::u16string& name,
                    const RegistryValue& value);
    bool DeleteKeyTree(RegistryRoot root, const std::u16string& keyPath);
};

} // namespace zq::win32
