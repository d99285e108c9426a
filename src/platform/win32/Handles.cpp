#include "platform/win32/Handles.h"

namespace zq::win32 {

UniqueLibrary LoadSystemLibrary(const wchar_t* name) {
    // The search flag needs an update on Windows 7 that not every system has; the
    // full path from the system folder is the fallback.
    if (HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return UniqueLibrary(module);
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return UniqueLibrary();
    std::wstring path(folder, length);
    path += L'\\';
    path += name;
    return UniqueLibrary(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

} // namespace zq::win32
