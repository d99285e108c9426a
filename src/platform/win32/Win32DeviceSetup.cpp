#include "platform/win32/Win32DeviceSetup.h"

#include "platform/win32/Win32Convert.h"

#include <cfgmgr32.h>
#include <setupapi.h>
#include <shellapi.h>

#include <array>

namespace zq::win32 {

namespace {

struct ServiceHandleTraits {
    static SC_HANDLE Invalid() { return nullptr; }
    static bool IsValid(SC_HANDLE h) { return h != nullptr; }
    static void Close(SC_HANDLE h) { ::CloseServiceHandle(h); }
};
using UniqueService = UniqueResource<SC_HANDLE, ServiceHandleTraits>;

} // namespace

struct Win32DeviceSetup::Api {
    UniqueLibrary SetupApi = LoadSystemLibrary(L"setupapi.dll");
    UniqueLibrary CfgMgr = LoadSystemLibrary(L"cfgmgr32.dll");
    decltype(&::SetupDiGetClassDevsW) GetClassDevs = nullptr;
    decltype(&::SetupDiEnumDeviceInfo) EnumDeviceInfo = nullptr;
    decltype(&::SetupDiGetDeviceRegistryPropertyW) GetProperty = nullptr;
    decltype(&::SetupDiSetDeviceRegistryPropertyW) SetProperty = nullptr;
    decltype(&::SetupDiSetClassInstallParamsW) SetClassInstallParams = nullptr;
    decltype(&::SetupDiCallClassInstaller) CallClassInstaller = nullptr;
    decltype(&::SetupDiDestroyDeviceInfoList) DestroyList = nullptr;
    decltype(&::CM_Get_DevNode_Status) GetDevNodeStatus = nullptr;
    bool Bound = false;

    Api() {
        const HMODULE s = SetupApi.Get();
        // All or nothing: without every function there are no devices.
        Bound = BindProc(s, "SetupDiGetClassDevsW", GetClassDevs) &&
                BindProc(s, "SetupDiEnumDeviceInfo", EnumDeviceInfo) &&
                BindProc(s, "SetupDiGetDeviceRegistryPropertyW", GetProperty) &&
                BindProc(s, "SetupDiSetDeviceRegistryPropertyW", SetProperty) &&
                BindProc(s, "SetupDiSetClassInstallParamsW", SetClassInstallParams) &&
                BindProc(s, "SetupDiCallClassInstaller", CallClassInstaller) &&
                BindProc(s, "SetupDiDestroyDeviceInfoList", DestroyList);
        BindProc(CfgMgr.Get(), "CM_Get_DevNode_Status", GetDevNodeStatus);
    }
};

namespace {

class Win32DeviceWalk : public IDeviceWalk {
public:
    Win32DeviceWalk(Win32DeviceSetup::Api& api, HDEVINFO set) : FApi(api), FSet(set) {
        for (DWORD index = 0;; ++index) {
            SP_DEVINFO_DATA data{};
            data.cbSize = sizeof(data);
            if (!FApi.EnumDeviceInfo(FSet, index, &data))
                break;
            FData.push_back(data);
        }
    }
    ~Win32DeviceWalk() override { FApi.DestroyList(FSet); }
    Win32DeviceWalk(const Win32DeviceWalk&) = delete;
    Win32DeviceWalk& operator=(const Win32DeviceWalk&) = delete;

    std::size_t Count() const override { return FData.size(); }

    DeviceNode Read(std::size_t device) override {
        DeviceNode node;
        if (device >= FData.size())
            return node;
        node.HardwareIds = ReadList(FData[device], SPDRP_HARDWAREID);
        node.LowerFilters = ReadList(FData[device], SPDRP_LOWERFILTERS);
        node.UpperFilters = ReadList(FData[device], SPDRP_UPPERFILTERS);
        return node;
    }

    std::optional<std::uint32_t> Status(std::size_t device) override {
        ULONG status = 0, problem = 0;
        if (device >= FData.size() || !FApi.GetDevNodeStatus ||
            FApi.GetDevNodeStatus(&status, &problem, FData[device].DevInst, 0) != CR_SUCCESS)
            return std::nullopt;
        return status;
    }

    bool SetFilters(std::size_t device, bool upper,
                    const std::vector<std::u16string>& filters) override {
        if (device >= FData.size())
            return false;
        // A zero-filled buffer holding the names one after the other: a multi-string.
        std::vector<wchar_t> buffer(MultiStringBufferBytes / sizeof(wchar_t), L'\0');
        std::size_t at = 0;
        for (const auto& name : filters) {
            if (at + name.size() + 2 > buffer.size())
                break;
            for (const char16_t c : name)
                buffer[at++] = static_cast<wchar_t>(c);
            ++at;
        }
        return FApi.SetProperty(
                   FSet, &FData[device], upper ? SPDRP_UPPERFILTERS : SPDRP_LOWERFILTERS,
                   reinterpret_cast<const BYTE*>(buffer.data()), MultiStringBufferBytes) != FALSE;
    }

    void Restart(std::size_t device) override {
        if (device >= FData.size())
            return;
        ChangeState(device, DICS_DISABLE);
        ::Sleep(100);
        ChangeState(device, DICS_ENABLE);
    }

private:
    std::vector<std::u16string> ReadList(SP_DEVINFO_DATA& data, DWORD property) {
        std::vector<wchar_t> buffer(MultiStringBufferBytes / sizeof(wchar_t), L'\0');
        DWORD type = 0, needed = 0;
        if (!FApi.GetProperty(FSet, &data, property, &type, reinterpret_cast<BYTE*>(buffer.data()),
                              MultiStringBufferBytes - sizeof(wchar_t) * 2, &needed))
            return {}; // a failed read is an empty list
        return SplitMultiString(buffer.data(), buffer.size());
    }

    void ChangeState(std::size_t device, DWORD state) {
        SP_PROPCHANGE_PARAMS params{};
        params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
        params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
        params.StateChange = state;
        params.Scope = DICS_FLAG_GLOBAL;
        params.HwProfile = 0;
        if (FApi.SetClassInstallParams(FSet, &FData[device], &params.ClassInstallHeader,
                                       sizeof(params)))
            FApi.CallClassInstaller(DIF_PROPERTYCHANGE, FSet, &FData[device]);
    }

    Win32DeviceSetup::Api& FApi;
    HDEVINFO FSet;
    std::vector<SP_DEVINFO_DATA> FData;
};

} // namespace

Win32DeviceSetup::Win32DeviceSetup() : FApi(std::make_unique<Api>()) {}

Win32DeviceSetup::~Win32DeviceSetup() = default;

std::unique_ptr<IDeviceWalk> Win32DeviceSetup::WalkHidClassDevices() {
    if (!FApi->Bound)
        return nullptr;
    const GUID hidClass = ToGuid(HidSetupClassGuid);
    HDEVINFO set = FApi->GetClassDevs(&hidClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32DeviceWalk>(*FApi, set);
}

bool Win32DeviceSetup::InstallKernelService(const std::u16string& name,
                                            const std::filesystem::path& imagePath,
                                            const std::u16string& displayName,
                                            const std::u16string& changedDisplayName) {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return false;
    const std::wstring serviceName = Wide(name);
    const std::wstring image = imagePath.wstring();
    UniqueService existing(::OpenServiceW(manager.Get(), serviceName.c_str(), SERVICE_ALL_ACCESS));
    if (existing)
        return ::ChangeServiceConfigW(existing.Get(), SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                      SERVICE_ERROR_NORMAL, image.c_str(), nullptr, nullptr,
                                      nullptr, nullptr, nullptr,
                                      Wide(changedDisplayName).c_str()) != FALSE;
    UniqueService created(::CreateServiceW(
        manager.Get(), serviceName.c_str(), Wide(displayName).c_str(), SERVICE_ALL_ACCESS,
        SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, image.c_str(), nullptr,
        nullptr, nullptr, nullptr, nullptr));
    return created || ::GetLastError() == ERROR_SERVICE_EXISTS;
}

bool Win32DeviceSetup::DeleteService(const std::u16string& name) {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager)
        return false;
    UniqueService service(::OpenServiceW(manager.Get(), Wide(name).c_str(), SERVICE_ALL_ACCESS));
    return service && ::DeleteService(service.Get()) != FALSE;
}

std::filesystem::path Win32DeviceSetup::WindowsFolder() {
    // The system's own folder: on a Remote Desktop host GetWindowsDirectoryW may
    // answer a folder of the user's, where no driver is loaded from.
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::filesystem::path(std::wstring(folder, length))
                                           : std::filesystem::path();
}

bool Win32DeviceSetup::CopyOver(const std::filesystem::path& source,
                                const std::filesystem::path& target) {
    if (::GetFileAttributesW(target.wstring().c_str()) != INVALID_FILE_ATTRIBUTES)
        ::DeleteFileW(target.wstring().c_str());
    return ::CopyFileW(source.wstring().c_str(), target.wstring().c_str(), FALSE) != FALSE;
}

bool Win32DeviceSetup::RunHiddenAndWait(const std::filesystem::path& program,
                                        const std::u16string& parameters,
                                        const std::filesystem::path& folder) {
    const std::wstring file = program.wstring(), params = Wide(parameters),
                       directory = folder.wstring();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_DOENVSUBST | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = params.c_str();
    info.lpDirectory = directory.c_str();
    info.nShow = SW_HIDE;
    if (!::ShellExecuteExW(&info))
        return false;
    if (info.hProcess) {
        UniqueHandle process(info.hProcess);
        ::WaitForSingleObject(process.Get(), INFINITE);
    }
    return true;
}

} // namespace zq::win32
