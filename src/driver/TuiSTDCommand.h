#pragma once
// The filter driver's channel: requests to the driver's control device. (The
// full component, with its monitor loop, is on its way; this holds what the main
// window uses.)

#include "platform/Platform.h"
#include "profiles/ConfigFile.h"

#include <cstdint>

namespace zq {

class TuiSTDCommand {
public:
    explicit TuiSTDCommand(Platform& platform);
    // One request whose input and output share buffer; 0 or a system error code,
    // 21 when the control device cannot be opened (the buffer is then untouched).
    std::uint32_t DeviceRW(std::uint8_t* buffer, std::int32_t count, std::uint32_t code);

private:
    Platform& FPlatform;
    TDriverInfo FDriverInfo;
    std::u16string FDevicePath;
};

} // namespace zq
