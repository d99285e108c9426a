#pragma once
// The HID bus on Windows: interfaces listed by the device setup library, opened
// as files, transfers and the report parser through the HID library. Without
// those libraries no interface is ever present.

#include "platform/HidBus.h"

#include <memory>

namespace zq::win32 {

struct HidApi;

class Win32HidBus : public IHidBus {
public:
    // The library names are the system's; tests name missing ones.
    explicit Win32HidBus(const wchar_t* setupLibrary = L"setupapi.dll",
                         const wchar_t* hidLibrary = L"hid.dll");
    ~Win32HidBus() override;
    Win32HidBus(const Win32HidBus&) = delete;
    Win32HidBus& operator=(const Win32HidBus&) = delete;

    // True when both libraries and every function were bound.
    bool Available() const { return FApi != nullptr; }

    Guid InterfaceClass() override;
    std::vector<HidInterface> Enumerate(const Guid& interfaceClass) override;
    std::unique_ptr<IHidDevice> Open(const std::u16string& path, bool overlapped) override;
    std::unique_ptr<IHidStopSignal> CreateStopSignal() override;

private:
    std::shared_ptr<const HidApi> FApi;
};

} // namespace zq::win32
