#pragma once
// The control device of the mouse's filter driver, opened by name for each
// request.

#include <cstdint>
#include <memory>
#include <string>

namespace zq {

// Result codes of the system that the program passes on.
inline constexpr std::uint32_t ERROR_NOT_READY_ = 21;

class IDriverDevice {
public:
    virtual ~IDriverDevice() = default;
    // One I/O-control request, completed before it returns. The reply lands in
    // output (the input and output may be the same bytes). 0 on success, else the
    // system's error code.
    virtual std::uint32_t Control(std::uint32_t code, const void* input, std::uint32_t inputSize,
                                  void* output, std::uint32_t outputSize,
                                  std::uint32_t& returned) = 0;
};

class IDriverControl {
public:
    virtual ~IDriverControl() = default;
    // Opens the device path ("\\.\" + name) for reading and writing; null when the
    // device is not there or cannot be opened.
    virtual std::unique_ptr<IDriverDevice> Open(const std::u16string& path) = 0;
};

} // namespace zq
