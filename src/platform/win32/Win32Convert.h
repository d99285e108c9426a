#pragma once
// The program's forms of identifiers, lists and texts and the Windows forms of
// them, both ways.

#include "platform/Guid.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace zq::win32 {

GUID ToGuid(const Guid& guid);
Guid FromGuid(const GUID& guid);

// The device setup reads and writes multi-string properties (hardware
// identifiers, filter lists) in buffers of this size.
inline constexpr DWORD MultiStringBufferBytes = 32768;

// A list of zero-terminated texts ending with an empty one, read no further
// than units code units; a text without its terminator is not taken.
std::vector<std::u16string> SplitMultiString(const wchar_t* text, std::size_t units);

// The window's text (caption or content).
std::u16string WindowText(HWND window);

// Registers a window class of this executable, with its icon and the arrow
// cursor; registering a class twice fails harmlessly.
void RegisterWindowClass(const wchar_t* name, WNDPROC proc, UINT style = 0,
                         HBRUSH background = nullptr);

} // namespace zq::win32
