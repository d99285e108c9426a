#include "platform/win32/Win32HidBus.h"

#include "platform/win32/Win32Convert.h"
#include "platform/win32/Win32HidApi.h"
#include "platform/win32/Win32HidDevice.h"

#include <cstddef>
#include <cwchar>

namespace zq::win32 {

namespace {

// The interface list of the device setup, destroyed with the owner.
class DeviceInfoSet {
public:
    DeviceInfoSet(const HidApi& api, HDEVINFO set) : FApi(api), FSet(set) {}
    ~DeviceInfoSet() {
        if (FSet != INVALID_HANDLE_VALUE)
            FApi.SetupDiDestroyDeviceInfoList(FSet);
    }
    DeviceInfoSet(const DeviceInfoSet&) = delete;
    DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;
    HDEVINFO Get() const { return FSet; }

private:
    const HidApi& FApi;
    HDEVINFO FSet;
};

} // namespace

Win32HidBus::Win32HidBus(const wchar_t* setupLibrary, const wchar_t* hidLibrary)
    : FApi(HidApi::Bind(setupLibrary, hidLibrary)) {}

Win32HidBus::~Win32HidBus() = default;

Guid Win32HidBus::InterfaceClass() {
    if (!FApi)
        return HidInterfaceClassGuid;
    GUID guid{};
    FApi->HidD_GetHidGuid(&guid);
    return FromGuid(guid);
}

std::vector<HidInterface> Win32HidBus::Enumerate(const Guid& interfaceClass) {
    std::vector<HidInterface> list;
    if (!FApi)
        return list;
    GUID guid = ToGuid(interfaceClass);
    const DeviceInfoSet set(
        *FApi,
        FApi->SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (set.Get() == INVALID_HANDLE_VALUE)
        return list;

    std::vector<wchar_t> ids(MultiStringBufferBytes / sizeof(wchar_t));
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof(data);
        if (!FApi->SetupDiEnumDeviceInterfaces(set.Get(), nullptr, &guid, index, &data))
            break;

        // The size of the interface's detail, which also names its device.
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof(device);
        DWORD detailSize = 0;
        if (FApi->SetupDiGetDeviceInterfaceDetailW(set.Get(), &data, nullptr, 0, &detailSize,
                                                   &device) ||
            detailSize == 0 || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            continue;

        // A failed read leaves the list empty.
        HidInterface iface;
        ids[0] = L'\0';
        DWORD idsSize = 0;
        if (FApi->SetupDiGetDeviceRegistryPropertyW(set.Get(), &device, SPDRP_HARDWAREID, nullptr,
                                                    reinterpret_cast<PBYTE>(ids.data()),
                                                    MultiStringBufferBytes, &idsSize))
            iface.HardwareIds = SplitMultiString(
                ids.data(), std::min<std::size_t>(idsSize / sizeof(wchar_t), ids.size()));

        // The detail record starts with its own size field; the path follows.
        std::vector<std::uint64_t> storage(detailSize / sizeof(std::uint64_t) + 1, 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!FApi->SetupDiGetDeviceInterfaceDetailW(set.Get(), &data, detail, detailSize, nullptr,
                                                    nullptr))
            continue;
        const std::size_t pathChars =
            (detailSize - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) /
            sizeof(wchar_t);
        iface.Path = FromWide(detail->DevicePath, ::wcsnlen(detail->DevicePath, pathChars));
        list.push_back(std::move(iface));
    }
    return list;
}

std::unique_ptr<IHidDevice> Win32HidBus::Open(const std::u16string& path, bool overlapped) {
    if (!FApi)
        return nullptr;
    // Always overlapped: transfers wait with a time limit, reads with the stop signal.
    UniqueHandle handle(::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr));
    if (!handle)
        return nullptr;
    return std::make_unique<Win32HidDevice>(FApi, std::move(handle), overlapped);
}

std::unique_ptr<IHidStopSignal> Win32HidBus::CreateStopSignal() {
    return std::make_unique<Win32StopSignal>();
}

} // namespace zq::win32
