#pragma once
// The device setup and HID library functions the HID bus uses, bound by name at
// run time from the system folder. Binding is all or nothing: without either
// library or any one function there is no HID support at all.

#include "platform/win32/Handles.h"

#include <setupapi.h>
// These headers have no C++ linkage guard of their own.
extern "C" {
#include <hidsdi.h>
}

#include <memory>

namespace zq::win32 {

struct HidApi {
    decltype(&::SetupDiGetClassDevsW) SetupDiGetClassDevsW = nullptr;
    decltype(&::SetupDiEnumDeviceInterfaces) SetupDiEnumDeviceInterfaces = nullptr;
    decltype(&::SetupDiGetDeviceInterfaceDetailW) SetupDiGetDeviceInterfaceDetailW = nullptr;
    decltype(&::SetupDiGetDeviceRegistryPropertyW) SetupDiGetDeviceRegistryPropertyW = nullptr;
    decltype(&::SetupDiDestroyDeviceInfoList) SetupDiDestroyDeviceInfoList = nullptr;
    decltype(&::HidD_GetHidGuid) HidD_GetHidGuid = nullptr;
    decltype(&::HidD_GetAttributes) HidD_GetAttributes = nullptr;
    decltype(&::HidD_GetPreparsedData) HidD_GetPreparsedData = nullptr;
    decltype(&::HidD_FreePreparsedData) HidD_FreePreparsedData = nullptr;
    decltype(&::HidP_GetCaps) HidP_GetCaps = nullptr;
    decltype(&::HidP_MaxUsageListLength) HidP_MaxUsageListLength = nullptr;
    decltype(&::HidP_GetUsagesEx) HidP_GetUsagesEx = nullptr;

    // Null when a library or a function is missing.
    static std::shared_ptr<const HidApi> Bind(const wchar_t* setupLibrary,
                                              const wchar_t* hidLibrary);

private:
    UniqueLibrary FSetupLibrary;
    UniqueLibrary FHidLibrary;
};

} // namespace zq::win32
