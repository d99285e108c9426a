#include "platform/win32/Win32DriverControl.h"

#include "platform/win32/Handles.h"

namespace zq::win32 {

namespace {

class Win32DriverDevice : public IDriverDevice {
public:
    explicit Win32DriverDevice(HANDLE device) : FDevice(device) {}

    std::uint32_t Control(std::uint32_t code, const void* input, std::uint32_t inputSize,
                          void* output, std::uint32_t outputSize,
                          std::uint32_t& returned) override {
        DWORD bytes = 0;
        const BOOL ok = ::DeviceIoControl(FDevice.Get(), code, const_cast<void*>(input), inputSize,
                                          output, outputSize, &bytes, nullptr);
        returned = bytes;
        return ok ? 0 : ::GetLastError();
    }

private:
    UniqueHandle FDevice;
};

} // namespace

std::unique_ptr<IDriverDevice> Win32DriverControl::Open(const std::u16string& path) {
    HANDLE device = ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32DriverDevice>(device);
}

} // namespace zq::win32
