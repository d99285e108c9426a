#pragma once
// The filter driver's control device through CreateFileW and DeviceIoControl.

#include "platform/DriverControl.h"

namespace zq::win32 {

class Win32DriverControl : public IDriverControl {
public:
    std::unique_ptr<IDriverDevice> Open(const std::u16string& path) override;
};

} // namespace zq::win32
