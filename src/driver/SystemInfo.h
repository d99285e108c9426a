#pragma once
// Which build of the filter-driver package the system takes.

#include "platform/System.h"

namespace zq {

// A 64-bit Windows. This program itself is a 64-bit process, which never runs
// under WOW64, so that alone says the system is 64-bit.
bool IsWin64(const SystemArchitecture& architecture);
// Windows XP Professional x64 (NT 5.2 workstation on a 64-bit processor).
bool IsWindowsXP64(const OsVersion& version, const SystemArchitecture& architecture);

} // namespace zq
