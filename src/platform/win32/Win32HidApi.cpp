#include "platform/win32/Win32HidApi.h"

namespace zq::win32 {

std::shared_ptr<const HidApi> HidApi::Bind(const wchar_t* setupLibrary, const wchar_t* hidLibrary) {
    auto api = std::make_shared<HidApi>();
    // The HID library is bound only when the device setup library was.
    api->FSetupLibrary = LoadSystemLibrary(setupLibrary);
    if (!api->FSetupLibrary)
        return nullptr;
    const HMODULE setup = api->FSetupLibrary.Get();
    if (!BindProc(setup, "SetupDiGetClassDevsW", api->SetupDiGetClassDevsW) ||
        !BindProc(setup, "SetupDiEnumDeviceInterfaces", api->SetupDiEnumDeviceInterfaces) ||
        !BindProc(setup, "SetupDiGetDeviceInterfaceDetailW",
                  api->SetupDiGetDeviceInterfaceDetailW) ||
        !BindProc(setup, "SetupDiGetDeviceRegistryPropertyW",
                  api->SetupDiGetDeviceRegistryPropertyW) ||
        !BindProc(setup, "SetupDiDestroyDeviceInfoList", api->SetupDiDestroyDeviceInfoList))
        return nullptr;

    api->FHidLibrary = LoadSystemLibrary(hidLibrary);
    if (!api->FHidLibrary)
        return nullptr;
    const HMODULE hid = api->FHidLibrary.Get();
    if (!BindProc(hid, "HidD_GetHidGuid", api->HidD_GetHidGuid) ||
        !BindProc(hid, "HidD_GetAttributes", api->HidD_GetAttributes) ||
        !BindProc(hid, "HidD_GetPreparsedData", api->HidD_GetPreparsedData) ||
        !BindProc(hid, "HidD_FreePreparsedData", api->HidD_FreePreparsedData) ||
        !BindProc(hid, "HidP_GetCaps", api->HidP_GetCaps) ||
        !BindProc(hid, "HidP_MaxUsageListLength", api->HidP_MaxUsageListLength) ||
        !BindProc(hid, "HidP_GetUsagesEx", api->HidP_GetUsagesEx))
        return nullptr;
    return api;
}

} // namespace zq::win32
