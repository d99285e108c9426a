#pragma once
// Small value types shared by every interface of the seam to the operating system.

#include <cstdint>

namespace zq {

// A window of this program or of another one (an HWND on Windows, an id in the
// simulated world). 0 means "no window".
using WindowHandle = std::uintptr_t;

// Window message parameters, with the widths Windows gives them on 64-bit.
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

// Show commands of the window manager that this program uses.
inline constexpr int SW_HIDE_ = 0;
inline constexpr int SW_SHOWNORMAL_ = 1;
inline constexpr int SW_SHOW_ = 5;

} // namespace zq
