#include "devices/VirtualMouse.h"

#include "devices/vmouse/VirtualMouseControl.h"
#include "platform/win32/Handles.h"

#include <windows.h>

// initguid.h first: the class GUIDs of devguid.h are defined here, not imported.
#include <initguid.h>

#include <devguid.h>
#include <newdev.h>
#include <setupapi.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

// Declared here so the program needs no driver-kit header: the interface class
// of HID collections.
DEFINE_GUID(ZqHidInterfaceClass, 0x4D1E55B2, 0xF16F, 0x11CF, 0x88, 0xCB, 0x00, 0x11, 0x11, 0x00,
            0x00, 0x30);

namespace zq::devices {
namespace {

using win32::UniqueHandle;

constexpr wchar_t MouseModelId[] = L"VID_7A51&PID_0C01&MI_00";
constexpr wchar_t VendorModelId[] = L"VID_7A51&PID_0C01&MI_01";
constexpr wchar_t InfName[] = L"zqvmouse.inf";
constexpr wchar_t DriverName[] = L"zqvmouse.sys";
constexpr wchar_t ServiceName[] = L"zqvmouse"; // as the .inf names it
// The device setup of the prefix takes well under a second to add or remove a
// node; this bounds the waits when it does not.
constexpr auto SetupTimeout = std::chrono::seconds(10);
constexpr auto PollInterval = std::chrono::milliseconds(10);

class DeviceInfoSet {
public:
    explicit DeviceInfoSet(HDEVINFO set) : FSet(set) {}
    ~DeviceInfoSet() {
        if (FSet != INVALID_HANDLE_VALUE)
            SetupDiDestroyDeviceInfoList(FSet);
    }
    DeviceInfoSet(const DeviceInfoSet&) = delete;
    DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;
    HDEVINFO Get() const { return FSet; }
    bool Valid() const { return FSet != INVALID_HANDLE_VALUE; }

private:
    HDEVINFO FSet;
};

std::vector<std::wstring> HardwareIds(HDEVINFO set, SP_DEVINFO_DATA& data) {
    std::vector<wchar_t> buffer(4096, L'\0');
    std::vector<std::wstring> ids;
    if (!SetupDiGetDeviceRegistryPropertyW(
            set, &data, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(buffer.data()),
            static_cast<DWORD>(buffer.size() * sizeof(wchar_t) - 4), nullptr))
        return ids;
    for (const wchar_t* id = buffer.data(); *id; id += std::wcslen(id) + 1)
        ids.emplace_back(id);
    return ids;
}

bool HasId(const std::vector<std::wstring>& ids, const wchar_t* wanted) {
    for (const auto& id : ids)
        if (_wcsicmp(id.c_str(), wanted) == 0)
            return true;
    return false;
}

// Whether a HID interface with the hardware identifier is present now.
bool InterfacePresent(const wchar_t* hardwareId) {
    const DeviceInfoSet set(SetupDiGetClassDevsW(&ZqHidInterfaceClass, nullptr, nullptr,
                                                 DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set.Valid())
        return false;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA iface{};
        iface.cbSize = sizeof(iface);
        if (!SetupDiEnumDeviceInterfaces(set.Get(), nullptr, &ZqHidInterfaceClass, index, &iface))
            return false;
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof(data);
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailW(set.Get(), &iface, nullptr, 0, &size, &data);
        if (HasId(HardwareIds(set.Get(), data), hardwareId))
            return true;
    }
}

// Runs action on every device node (present or not) whose hardware identifiers
// hold the model identifier.
template <typename Action> int ForEachNode(const wchar_t* modelId, Action action) {
    const DeviceInfoSet set(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES));
    int count = 0;
    if (!set.Valid())
        return 0;
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof(data);
        if (!SetupDiEnumDeviceInfo(set.Get(), index, &data))
            return count;
        if (HasId(HardwareIds(set.Get(), data), modelId)) {
            ++count;
            action(set.Get(), data);
        }
    }
}

bool NodeExists(const wchar_t* modelId) {
    return ForEachNode(modelId, [](HDEVINFO, SP_DEVINFO_DATA&) {}) > 0;
}

template <typename Condition> bool WaitFor(Condition condition) {
    const auto end = std::chrono::steady_clock::now() + SetupTimeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(PollInterval);
    }
    return true;
}

// A root-enumerated node with the model identifier, its driver installed from
// the package's .inf (which starts it).
bool CreateNode(const wchar_t* modelId) {
    const std::wstring inf = VirtualMouse::PackageFolder() + InfName;
    const DeviceInfoSet set(SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_HIDCLASS, nullptr));
    if (!set.Valid())
        return false;
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    if (!SetupDiCreateDeviceInfoW(set.Get(), modelId, &GUID_DEVCLASS_HIDCLASS, nullptr, nullptr,
                                  DICD_GENERATE_ID, &data))
        return false;
    std::wstring ids(modelId);
    ids.push_back(L'\0'); // a multi-string: one identifier, then an empty one
    if (!SetupDiSetDeviceRegistryPropertyW(
            set.Get(), &data, SPDRP_HARDWAREID, reinterpret_cast<const BYTE*>(ids.c_str()),
            static_cast<DWORD>((ids.size() + 1) * sizeof(wchar_t))) ||
        !SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.Get(), &data))
        return false;
    BOOL reboot = FALSE;
    if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, modelId, inf.c_str(), INSTALLFLAG_FORCE,
                                            &reboot)) {
        SetupDiCallClassInstaller(DIF_REMOVE, set.Get(), &data);
        return false;
    }
    return true;
}

void RemoveNodes(const wchar_t* modelId) {
    ForEachNode(modelId, [](HDEVINFO set, SP_DEVINFO_DATA& data) {
        SetupDiCallClassInstaller(DIF_REMOVE, set, &data);
    });
}

std::vector<char> FileBytes(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), {});
}

std::wstring InstalledDriverPath() {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    return std::wstring(system) + L"\\drivers\\" + DriverName;
}

// The driver the prefix runs is the one built.
bool InstalledDriverIsCurrent() {
    const auto installed = FileBytes(InstalledDriverPath());
    return !installed.empty() && installed == FileBytes(VirtualMouse::PackageFolder() + DriverName);
}

struct ServiceTraits {
    static SC_HANDLE Invalid() { return nullptr; }
    static bool IsValid(SC_HANDLE h) { return h != nullptr; }
    static void Close(SC_HANDLE h) { CloseServiceHandle(h); }
};
using UniqueService = win32::UniqueResource<SC_HANDLE, ServiceTraits>;

// Stops the driver's service, if it runs, and waits until it has stopped.
void StopDriverService() {
    const UniqueService manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const UniqueService service(
        manager ? OpenServiceW(manager.Get(), ServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS)
                : nullptr);
    if (!service)
        return;
    SERVICE_STATUS status{};
    if (!ControlService(service.Get(), SERVICE_CONTROL_STOP, &status))
        return; // not running
    WaitFor([&] {
        return QueryServiceStatus(service.Get(), &status) &&
               status.dwCurrentState == SERVICE_STOPPED;
    });
}

UniqueHandle OpenControl() {
    return UniqueHandle(CreateFileW(ZQVM_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
}

bool Control(DWORD code, const void* in, DWORD inSize, void* out = nullptr, DWORD outSize = 0,
             DWORD* returned = nullptr) {
    const UniqueHandle control = OpenControl();
    if (!control)
        return false;
    DWORD bytes = 0;
    const bool ok = DeviceIoControl(control.Get(), code, const_cast<void*>(in), inSize, out,
                                    outSize, &bytes, nullptr) != FALSE;
    if (returned)
        *returned = bytes;
    return ok;
}

// The whole log as the driver keeps it: header, then the records.
std::vector<std::uint8_t> ReadLog() {
    std::vector<std::uint8_t> log(64 * 1024);
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD returned = 0;
        if (!Control(ZQVM_IOCTL_GET_LOG, nullptr, 0, log.data(), static_cast<DWORD>(log.size()),
                     &returned) ||
            returned < sizeof(ZQVM_LOG_HEADER))
            return {};
        ZQVM_LOG_HEADER header;
        std::memcpy(&header, log.data(), sizeof(header));
        if (header.Bytes <= log.size() && returned == header.Bytes) {
            log.resize(header.Bytes);
            return log;
        }
        log.resize(header.Bytes + 64 * 1024); // it grew meanwhile: room for more
    }
    return {};
}

} // namespace

std::wstring VirtualMouse::PackageFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::string VirtualMouse::Install() {
    const std::wstring folder = PackageFolder();
    for (const wchar_t* name : {InfName, DriverName}) {
        if (GetFileAttributesW((folder + name).c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::string file;
            for (wchar_t c : folder + name)
                file.push_back(c < 0x80 ? static_cast<char>(c) : '?');
            return "virtual mouse driver not built: " + file +
                   " is missing (build the windows preset)";
        }
    }
    // A rebuilt driver replaces the running one. The device setup does not copy
    // over an installed file, and the driver stays loaded without its nodes (its
    // control device keeps the firmware state), so the nodes go, the service is
    // stopped (which unloads the driver) and the file is copied here.
    if (!InstalledDriverIsCurrent()) {
        if (NodeExists(MouseModelId) || NodeExists(VendorModelId))
            Unplug();
        StopDriverService();
        const std::wstring source = folder + DriverName;
        const std::wstring target = InstalledDriverPath();
        if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES &&
            !WaitFor([&] { return CopyFileW(source.c_str(), target.c_str(), FALSE) != FALSE; }))
            return "virtual mouse driver not replaced: the installed copy is still in use (error " +
                   std::to_string(GetLastError()) + ")";
    }
    if (!Plug())
        return "virtual mouse not plugged: its HID interfaces did not appear within 10 s "
               "(is the wine prefix's device setup working?)";
    if (!OpenControl())
        return "virtual mouse control device " + std::string("\\\\.\\ZqVirtualMouse") +
               " cannot be opened (error " + std::to_string(GetLastError()) + ")";
    return {};
}

bool VirtualMouse::Plug(bool vendorOnly) {
    if (!NodeExists(VendorModelId) && !CreateNode(VendorModelId))
        return false;
    if (!vendorOnly && !NodeExists(MouseModelId) && !CreateNode(MouseModelId))
        return false;
    return WaitFor([&] {
        return InterfacePresent(VendorHardwareId) &&
               (vendorOnly || InterfacePresent(MouseHardwareId));
    });
}

bool VirtualMouse::Unplug(bool vendorOnly) {
    RemoveNodes(VendorModelId);
    if (!vendorOnly)
        RemoveNodes(MouseModelId);
    return WaitFor([&] {
        return !InterfacePresent(VendorHardwareId) &&
               (vendorOnly || !InterfacePresent(MouseHardwareId));
    });
}

bool VirtualMouse::Plugged() {
    return InterfacePresent(VendorHardwareId);
}

bool VirtualMouse::SendInput(std::span<const std::uint8_t> report, MouseInterface target) {
    std::vector<std::uint8_t> request;
    request.push_back(static_cast<std::uint8_t>(target));
    request.insert(request.end(), report.begin(), report.end());
    return Control(ZQVM_IOCTL_INPUT, request.data(), static_cast<DWORD>(request.size()));
}

bool VirtualMouse::SetActiveProfile(std::uint8_t profile) {
    return Control(ZQVM_IOCTL_SET_PROFILE, &profile, 1);
}

bool VirtualMouse::SetCpiIndex(std::uint8_t profile, std::uint8_t index) {
    const std::uint8_t request[2] = {profile, index};
    return Control(ZQVM_IOCTL_SET_CPI, request, sizeof(request));
}

std::optional<MouseState> VirtualMouse::State() {
    ZQVM_STATE raw{};
    DWORD returned = 0;
    if (!Control(ZQVM_IOCTL_GET_STATE, nullptr, 0, &raw, sizeof(raw), &returned) ||
        returned < sizeof(raw))
        return std::nullopt;
    MouseState state;
    state.ActiveProfile = raw.ActiveProfile;
    std::memcpy(state.CpiIndex, raw.CpiIndex, sizeof(state.CpiIndex));
    state.Mode = raw.Mode;
    state.MouseStarted = (raw.Started & (1u << ZQVM_INTERFACE_MOUSE)) != 0;
    state.VendorStarted = (raw.Started & (1u << ZQVM_INTERFACE_VENDOR)) != 0;
    state.Stalled = raw.Stalled;
    return state;
}

bool VirtualMouse::SetFault(std::uint8_t reportId, MouseFault fault, std::uint32_t stallMs) {
    ZQVM_FAULT request{};
    request.ReportId = reportId;
    request.Fault = static_cast<std::uint8_t>(fault);
    request.StallMs = stallMs;
    return Control(ZQVM_IOCTL_SET_FAULT, &request, sizeof(request));
}

std::vector<MouseTransfer> VirtualMouse::Transfers() {
    const std::vector<std::uint8_t> log = ReadLog();
    std::vector<MouseTransfer> transfers;
    if (log.size() < sizeof(ZQVM_LOG_HEADER))
        return transfers;
    ZQVM_LOG_HEADER header;
    std::memcpy(&header, log.data(), sizeof(header));
    std::size_t at = sizeof(header);
    for (std::uint32_t i = 0; i < header.Count; ++i) {
        ZQVM_LOG_RECORD record;
        if (log.size() - at < sizeof(record))
            break;
        std::memcpy(&record, log.data() + at, sizeof(record));
        at += sizeof(record);
        if (log.size() - at < std::size_t{record.RequestBytes} + record.AnswerBytes)
            break;
        MouseTransfer transfer;
        transfer.Type = static_cast<MouseTransfer::Kind>(record.Kind);
        transfer.ReportId = record.ReportId;
        transfer.Interface = record.Interface;
        transfer.Status = record.Status;
        transfer.Length = record.Length;
        transfer.Bytes.assign(log.begin() + at, log.begin() + at + record.RequestBytes);
        at += record.RequestBytes;
        transfer.Answer.assign(log.begin() + at, log.begin() + at + record.AnswerBytes);
        at += record.AnswerBytes;
        transfers.push_back(std::move(transfer));
    }
    return transfers;
}

std::uint32_t VirtualMouse::DroppedTransfers() {
    ZQVM_LOG_HEADER header{};
    DWORD returned = 0;
    if (!Control(ZQVM_IOCTL_GET_LOG, nullptr, 0, &header, sizeof(header), &returned) ||
        returned < sizeof(header))
        return 0;
    return header.Dropped;
}

bool VirtualMouse::ClearTransfers() {
    return Control(ZQVM_IOCTL_CLEAR_LOG, nullptr, 0);
}

bool VirtualMouse::Reset() {
    return Control(ZQVM_IOCTL_RESET, nullptr, 0);
}

} // namespace zq::devices
