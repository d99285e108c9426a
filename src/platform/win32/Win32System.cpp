#include "platform/win32/Win32System.h"

#include "platform/win32/Handles.h"

#include <shlobj.h>

#include <optional>
#include <string>

namespace zq::win32 {

namespace {

class Win32Mutex : public INamedMutex {
public:
    explicit Win32Mutex(HANDLE mutex) : FMutex(mutex) {}
    ~Win32Mutex() override { ::ReleaseMutex(FMutex.Get()); }

private:
    UniqueHandle FMutex;
};

// The version the system really has: GetVersionEx answers what the manifest
// claims support for, so the kernel's own answer is asked for.
std::optional<OSVERSIONINFOEXW> KernelVersion() {
    const UniqueLibrary ntdll = LoadSystemLibrary(L"ntdll.dll");
    LONG(WINAPI * rtlGetVersion)(OSVERSIONINFOEXW*) = nullptr;
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!BindProc(ntdll.Get(), "RtlGetVersion", rtlGetVersion) || rtlGetVersion(&version) != 0)
        return std::nullopt;
    return version;
}

} // namespace

OsVersion Win32System::GetOsVersion() {
    OsVersion version;
    if (const auto kernel = KernelVersion()) {
        version.PlatformId = kernel->dwPlatformId;
        version.Major = kernel->dwMajorVersion;
        version.Minor = kernel->dwMinorVersion;
        version.Build = kernel->dwBuildNumber;
    }
    return version;
}

SystemArchitecture Win32System::GetArchitecture() {
    SystemArchitecture architecture;
    architecture.Process64 = sizeof(void*) == 8;
    // Looked up at run time: the functions are missing on the oldest systems.
    const UniqueLibrary kernel = LoadSystemLibrary(L"kernel32.dll");
    BOOL(WINAPI * isWow64)(HANDLE, PBOOL) = nullptr;
    void(WINAPI * nativeInfo)(LPSYSTEM_INFO) = nullptr;
    BindProc(kernel.Get(), "IsWow64Process", isWow64);
    BindProc(kernel.Get(), "GetNativeSystemInfo", nativeInfo);
    BOOL wow64 = FALSE;
    if (isWow64 && isWow64(::GetCurrentProcess(), &wow64))
        architecture.Wow64 = wow64 != FALSE;
    SYSTEM_INFO info{};
    if (nativeInfo)
        nativeInfo(&info);
    else
        ::GetSystemInfo(&info);
    architecture.NativeProcessor = info.wProcessorArchitecture;
    if (const auto version = KernelVersion())
        architecture.ProductType = version->wProductType;
    architecture.ServerR2 = ::GetSystemMetrics(SM_SERVERR2) != 0;
    return architecture;
}

std::filesystem::path Win32System::ExecutableFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.resize(name.size() * 2);
    }
    // The folder with its trailing separator.
    return std::filesystem::path(name.substr(0, name.find_last_of(L"\\/") + 1));
}

std::filesystem::path Win32System::DocumentsFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return std::filesystem::path(path);
}

void Win32System::DebugOutput(const std::u16string& text) {
    ::OutputDebugStringW(Wide(text).c_str());
}

bool Win32System::NamedMutexExists(const std::u16string& name) {
    UniqueHandle mutex(::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, Wide(name).c_str()));
    return static_cast<bool>(mutex);
}

NamedMutexResult Win32System::CreateNamedMutex(const std::u16string& name) {
    const std::wstring wideName = Wide(name);
    UniqueHandle mutex(::CreateMutexW(nullptr, TRUE, wideName.c_str()));
    const DWORD error = ::GetLastError(); // before anything else can change it
    NamedMutexResult result;
    // A mutex another user's or an elevated instance made may exist without
    // being ours to open.
    result.AlreadyExists = mutex ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
    if (mutex && !result.AlreadyExists)
        result.Mutex = std::make_unique<Win32Mutex>(mutex.Release());
    return result;
}

} // namespace zq::win32
