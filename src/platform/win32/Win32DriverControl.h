#pragma once
// The filter driver's control device through CreateFileW and DeviceIoControl;
// overlapped requests are waited on together with a stop event.

#include "platform/DriverControl.h"

namespace zq::win32 {

class Win32DriverControl : public IDriverControl {
public:
    std::unique_ptr<IDriverDevice> Open(const std::u16string& path) override;
    std::unique_ptr<IDriverReadDevice> OpenOverlapped(const std::u16string& path) override;
    std::unique_ptr<IDriverEvent> NewEvent() override;
    std::size_t WaitForAny(std::span<IDriverEvent* const> events, std::uint32_t timeoutMs) override;
};

} // namespace zq::win32
