#pragma once
// A game's profile as the configuration program stores it in the user's
// registry, with one button bound to a function, for the Windows tests that run
// the monitor on the real registry.

#include "platform/win32/Handles.h"
#include "profiles/FactoryDefaults.h"
#include "profiles/ProfileRecords.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace zq::test {

// Replaces the key under HKEY_CURRENT_USER with one value, "Profile<game>.pfd":
// the game's factory profile with `button` bound to `function`. False when the
// registry refused.
inline bool StoreGameWithButtonBound(const std::wstring& key, int game, int button,
                                     std::uint16_t function) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    auto profile = std::make_unique<TMouseProfileInfo>();
    std::memset(profile.get(), 0, sizeof(TMouseProfileInfo));
    SetGameProfileDefaults(*profile, game, 45000.0);
    profile->ConfigInfo.ButtonFuncInfo[button].FunctionCode = function;
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &raw, nullptr) != ERROR_SUCCESS)
        return false;
    const win32::UniqueKey opened(raw);
    const std::wstring name = L"Profile" + std::to_wstring(game) + L".pfd";
    return ::RegSetValueExW(opened.Get(), name.c_str(), 0, REG_BINARY,
                            reinterpret_cast<const BYTE*>(profile.get()),
                            sizeof(TMouseProfileInfo)) == ERROR_SUCCESS;
}

} // namespace zq::test
