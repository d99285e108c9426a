#include "platform/win32/Win32Registry.h"

#include "platform/win32/Handles.h"

namespace zq::win32 {

namespace {

HKEY RootKey(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::CurrentUser:
        return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    default:
        return nullptr;
    }
}

UniqueKey CreateKey(RegistryRoot root, const std::u16string& keyPath, REGSAM access) {
    HKEY key = nullptr;
    if (!RootKey(root) || ::RegCreateKeyExW(RootKey(root), Wide(keyPath).c_str(), 0, nullptr, 0,
                                            access, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(key);
}

} // namespace

bool Win32Registry::OpenOrCreateKey(RegistryRoot root, const std::u16string& keyPath,
                                    KeyAccess access) {
    return static_cast<bool>(
        CreateKey(root, keyPath, access == KeyAccess::Read ? KEY_READ : KEY_READ | KEY_SET_VALUE));
}

RegistryResult Win32Registry::ReadValue(RegistryRoot root, const std::u16string& keyPath,
                                        const std::u16string& name, RegistryValue& value) {
    if (!RootKey(root))
        return RegistryResult::Failed;
    HKEY raw = nullptr;
    const LONG opened =
        ::RegOpenKeyExW(RootKey(root), Wide(keyPath).c_str(), 0, KEY_QUERY_VALUE, &raw);
    if (opened == ERROR_FILE_NOT_FOUND)
        return RegistryResult::NotFound;
    if (opened != ERROR_SUCCESS)
        return RegistryResult::Failed;
    UniqueKey key(raw);
    const std::wstring valueName = Wide(name);
    // The value may grow between asking its size and reading it: ask again then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0, size = 0;
        LONG status =
            ::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, nullptr, &size);
        if (status == ERROR_FILE_NOT_FOUND)
            return RegistryResult::NotFound;
        if (status != ERROR_SUCCESS)
            return RegistryResult::Failed;
        std::vector<std::uint8_t> data(size);
        status =
            ::RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status == ERROR_FILE_NOT_FOUND)
            return RegistryResult::NotFound;
        if (status != ERROR_SUCCESS)
            return RegistryResult::Failed;
        data.resize(size);
        value.Type = type;
        value.Data = std::move(data);
        return RegistryResult::Ok;
    }
    return RegistryResult::Failed;
}

bool Win32Registry::WriteBinary(RegistryRoot root, const std::u16string& keyPath,
                                const std::u16string& name, std::span<const std::uint8_t> data) {
    UniqueKey key = CreateKey(root, keyPath, KEY_SET_VALUE);
    return key && ::RegSetValueExW(key.Get(), Wide(name).c_str(), 0, REG_BINARY, data.data(),
                                   static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteValue(RegistryRoot root, const std::u16string& keyPath,
                                const std::u16string& name) {
    if (!RootKey(root))
        return false;
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(RootKey(root), Wide(keyPath).c_str(), 0, KEY_SET_VALUE, &raw) !=
        ERROR_SUCCESS)
        return false;
    UniqueKey key(raw);
    return ::RegDeleteValueW(key.Get(), Wide(name).c_str()) == ERROR_SUCCESS;
}

bool Win32Registry::WriteValue(RegistryRoot root, const std::u16string& keyPath,
                               const std::u16string& name, const RegistryValue& value) {
    UniqueKey key = CreateKey(root, keyPath, KEY_SET_VALUE);
    return key && ::RegSetValueExW(key.Get(), Wide(name).c_str(), 0, value.Type, value.Data.data(),
                                   static_cast<DWORD>(value.Data.size())) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteKeyTree(RegistryRoot root, const std::u16string& keyPath) {
    if (!RootKey(root) || keyPath.empty())
        return false;
    // Given a sub-key, the tree deletion removes the key itself too.
    return ::RegDeleteTreeW(RootKey(root), Wide(keyPath).c_str()) == ERROR_SUCCESS;
}

} // namespace zq::win32
