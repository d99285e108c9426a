#include "platform/win32/Win32HidApi.h"

namespace zq::win32 {

namespace {

template <typename Fn> bool BindFunction(HMODULE library, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
    return fn != nullptr;
}

} // namespace

std::shared_ptr<const HidApi> HidApi::Bind(const wchar_t* setupLibrary, const wchar_t* hidLibrary) {
    auto api = std::make_shared<HidApi>();
    // The HID library is bound only when the device setup library was.
    api->FSetupLibrary = LoadSystemLibrary(setupLibrary);
    if (!api->FSetupLibrary)
        return nullptr;
    const HMODULE setup = api->FSetupLibrary.Get();
    if (!BindFunction(setup, "SetupDiGetClassDevsW", api->SetupDiGetClassDevsW) ||
        !BindFunction(setup, "SetupDiEnumDeviceInterfaces", api->SetupDiEnumDeviceInterfaces) ||
        !BindFunction(setup, "SetupDiGetDeviceInterfaceDetailW",
                      api->SetupDiGetDeviceInterfaceDetailW) ||
        !BindFunction(setup, "SetupDiGetDeviceRegistryPropertyW",
                      api->SetupDiGetDeviceRegistryPropertyW) ||
        !BindFunction(setup, "SetupDiDestroyDeviceInfoList", api->SetupDiDestroyDeviceInfoList))
        return nullptr;

    api->FHidLibrary = LoadSystemLibrary(hidLibrary);
    if (!api->FHidLibrary)
        return nullptr;
    const HMODULE hid = api->FHidLibrary.Get();
    if (!BindFunction(hid, "HidD_GetHidGuid", api->HidD_GetHidGuid) ||
        !BindFunction(hid, "HidD_GetAttributes", api->HidD_GetAttributes) ||
        !BindFunction(hid, "HidD_GetPreparsedData", api->HidD_GetPreparsedData) ||
        !BindFunction(hid, "HidD_FreePreparsedData", api->HidD_FreePreparsedData) ||
        !BindFunction(hid, "HidP_GetCaps", api->HidP_GetCaps) ||
        !BindFunction(hid, "HidD_SetFeature", api->HidD_SetFeature) ||
        !BindFunction(hid, "HidD_GetFeature", api->HidD_GetFeature) ||
        !BindFunction(hid, "HidP_MaxUsageListLength", api->HidP_MaxUsageListLength) ||
        !BindFunction(hid, "HidP_GetUsagesEx", api->HidP_GetUsagesEx))
        return nullptr;
    return api;
}

} // namespace zq::win32
