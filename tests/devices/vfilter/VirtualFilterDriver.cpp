#include "devices/vfilter/VirtualFilterDriver.h"

#include "devices/vfilter/VirtualFilterProtocol.h"
#include "platform/win32/Handles.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

namespace zq::devices {

namespace {

using win32::UniqueHandle;
using win32::UniqueKey;
using win32::UniqueResource;

struct ServiceTraits {
    static SC_HANDLE Invalid() { return nullptr; }
    static bool IsValid(SC_HANDLE h) { return h != nullptr; }
    static void Close(SC_HANDLE h) { ::CloseServiceHandle(h); }
};
using UniqueService = UniqueResource<SC_HANDLE, ServiceTraits>;

constexpr wchar_t ServiceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\" ZQVF_SERVICE_NAME;
// How long the service manager gets to start or stop the driver.
constexpr auto ServiceLimit = std::chrono::seconds(20);
constexpr auto PollStep = std::chrono::milliseconds(5);

std::string ErrorText(const char* what, DWORD error) {
    return std::string(what) + " (error " + std::to_string(error) + ")";
}

std::string Narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text)
        result += c < 0x80 ? static_cast<char>(c) : '?';
    return result;
}

std::wstring ExecutableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length < MAX_PATH ? length : 0);
}

std::vector<char> FileBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), {});
}

// One request on the control device; false when the driver is not there or
// refused it.
bool ControlRequest(std::uint32_t code, const void* input, std::uint32_t inputSize,
                    void* output = nullptr, std::uint32_t outputSize = 0,
                    std::uint32_t* returned = nullptr) {
    UniqueHandle device(::CreateFileW(ZQVF_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!device)
        return false;
    DWORD bytes = 0;
    const BOOL ok = ::DeviceIoControl(device.Get(), code, const_cast<void*>(input), inputSize,
                                      output, outputSize, &bytes, nullptr);
    if (returned)
        *returned = bytes;
    return ok != FALSE;
}

bool ControlValue(std::uint32_t code, std::uint32_t value) {
    return ControlRequest(code, &value, sizeof(value));
}

bool ReadState(ZQVF_STATE& state) {
    std::uint32_t returned = 0;
    return ControlRequest(ZQVF_IOCTL_GET_STATE, nullptr, 0, &state, sizeof(state), &returned) &&
           returned == sizeof(state);
}

bool ControlDeviceOpens() {
    return UniqueHandle(::CreateFileW(ZQVF_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr))
               ? true
               : false;
}

// Waits (bounded) until the condition holds; the service manager and the
// driver's own threads give no event to wait on.
template <typename Condition> bool WaitUntil(Condition condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(PollStep);
    }
    return true;
}

DWORD ServiceState(SC_HANDLE service) {
    SERVICE_STATUS status{};
    return ::QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

bool StopService(SC_HANDLE service) {
    SERVICE_STATUS status{};
    if (ServiceState(service) != SERVICE_STOPPED)
        ::ControlService(service, SERVICE_CONTROL_STOP, &status);
    return WaitUntil([&] { return ServiceState(service) == SERVICE_STOPPED; }, ServiceLimit) &&
           WaitUntil([] { return !ControlDeviceOpens(); }, ServiceLimit);
}

std::wstring StoredDeviceName() {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, ServiceKey, 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return {};
    UniqueKey key(raw);
    wchar_t name[ZQVF_MAX_NAME + 1] = {};
    DWORD size = sizeof(name) - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegQueryValueExW(key.Get(), ZQVF_DEVICE_NAME_VALUE, nullptr, &type,
                           reinterpret_cast<BYTE*>(name), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return name;
}

bool StoreDeviceName(const std::wstring& deviceName) {
    const auto bytes = static_cast<DWORD>((deviceName.size() + 1) * sizeof(wchar_t));
    return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, ServiceKey, ZQVF_DEVICE_NAME_VALUE, REG_SZ,
                             deviceName.c_str(), bytes) == ERROR_SUCCESS;
}

} // namespace

std::string VirtualFilterDriver::Install(const std::wstring& deviceName) {
    if (deviceName.empty() || deviceName.size() > ZQVF_MAX_NAME ||
        deviceName.find_first_of(L"\\/") != std::wstring::npos)
        return "virtual filter driver: \"" + Narrow(deviceName) + "\" is no device name";
    const std::wstring built = ExecutableFolder() + ZQVF_FILE_NAME;
    const std::vector<char> driver = FileBytes(built);
    if (driver.empty())
        return "virtual filter driver: " + Narrow(built) +
               " is missing; build the windows preset (target zqvfilter)";
    const std::wstring installed = SystemFolder() + L"\\drivers\\" ZQVF_FILE_NAME;
    const bool fileCurrent = FileBytes(installed) == driver;

    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return ErrorText("virtual filter driver: the service manager does not open",
                         ::GetLastError());
    UniqueService service(::OpenServiceW(manager.Get(), ZQVF_SERVICE_NAME, SERVICE_ALL_ACCESS));
    if (service && fileCurrent && StoredDeviceName() == deviceName &&
        ServiceState(service.Get()) == SERVICE_RUNNING && ControlDeviceOpens())
        return {};

    if (service && !StopService(service.Get()))
        return "virtual filter driver: the running driver did not stop";
    if (!fileCurrent && !::CopyFileW(built.c_str(), installed.c_str(), FALSE))
        return ErrorText("virtual filter driver: copying it into the drivers folder failed",
                         ::GetLastError());
    if (!service) {
        service.Reset(::CreateServiceW(manager.Get(), ZQVF_SERVICE_NAME, ZQVF_SERVICE_NAME,
                                       SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                       SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                       L"\\SystemRoot\\system32\\drivers\\" ZQVF_FILE_NAME, nullptr,
                                       nullptr, nullptr, nullptr, nullptr));
        if (!service)
            return ErrorText("virtual filter driver: its service cannot be created",
                             ::GetLastError());
    }
    if (!StoreDeviceName(deviceName))
        return "virtual filter driver: the device name cannot be stored in its service key";
    if (!::StartServiceW(service.Get(), 0, nullptr) &&
        ::GetLastError() != ERROR_SERVICE_ALREADY_RUNNING)
        return ErrorText("virtual filter driver: its service does not start", ::GetLastError());
    if (!WaitUntil(ControlDeviceOpens, ServiceLimit))
        return "virtual filter driver: started, but its control device " +
               Narrow(ZQVF_CONTROL_PATH) + " never appeared";
    return {};
}

bool VirtualFilterDriver::Stop() {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return false;
    UniqueService service(::OpenServiceW(manager.Get(), ZQVF_SERVICE_NAME, SERVICE_ALL_ACCESS));
    if (!service)
        return ::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
    return StopService(service.Get());
}

std::vector<DriverRequest> VirtualFilterDriver::Requests() {
    std::vector<DriverRequest> requests;
    ZQVF_STATE state{};
    if (!ReadState(state))
        return requests;
    std::vector<std::uint8_t> reply(sizeof(ZQVF_ENTRY) + ZQVF_MAX_STORED_INPUT);
    for (std::uint32_t index = 0; index < state.LogCount; ++index) {
        std::uint32_t returned = 0;
        if (!ControlRequest(ZQVF_IOCTL_GET_ENTRY, &index, sizeof(index), reply.data(),
                            static_cast<std::uint32_t>(reply.size()), &returned) ||
            returned < sizeof(ZQVF_ENTRY))
            break;
        ZQVF_ENTRY entry{};
        std::memcpy(&entry, reply.data(), sizeof(entry));
        const std::size_t stored =
            std::min<std::size_t>(entry.StoredLength, returned - sizeof(ZQVF_ENTRY));
        const auto input = reply.begin() + sizeof(ZQVF_ENTRY);
        requests.push_back({entry.Code, std::vector<std::uint8_t>(input, input + stored),
                            entry.InputLength, entry.OutputLength});
    }
    return requests;
}

std::uint32_t VirtualFilterDriver::DroppedCount() {
    ZQVF_STATE state{};
    return ReadState(state) ? state.DroppedCount : 0;
}

bool VirtualFilterDriver::Clear() {
    return ControlRequest(ZQVF_IOCTL_RESET, nullptr, 0);
}

bool VirtualFilterDriver::SetDelay(std::uint32_t ms) {
    return ControlValue(ZQVF_IOCTL_SET_DELAY, ms);
}

bool VirtualFilterDriver::SetFailure(std::uint32_t ntStatus) {
    return ControlValue(ZQVF_IOCTL_SET_FAILURE, ntStatus);
}

bool VirtualFilterDriver::SetReadCode(std::uint32_t code, ReadMode mode) {
    const ZQVF_READ_MODE request{code, static_cast<std::uint32_t>(mode)};
    return ControlRequest(ZQVF_IOCTL_SET_READ, &request, sizeof(request));
}

bool VirtualFilterDriver::IgnoreCancel(bool ignore) {
    return ControlValue(ZQVF_IOCTL_SET_IGNORE_CANCEL, ignore ? 1 : 0);
}

bool VirtualFilterDriver::Feed(std::span<const std::uint8_t> data) {
    return ControlRequest(ZQVF_IOCTL_FEED, data.data(), static_cast<std::uint32_t>(data.size()));
}

std::uint32_t VirtualFilterDriver::PendingCount() {
    ZQVF_STATE state{};
    return ReadState(state) ? state.PendingCount : 0;
}

bool VirtualFilterDriver::WaitForPendingCount(std::uint32_t count,
                                              std::chrono::milliseconds limit) {
    return WaitUntil(
        [count] {
            ZQVF_STATE state{};
            return ReadState(state) && state.PendingCount == count;
        },
        limit);
}

} // namespace zq::devices
