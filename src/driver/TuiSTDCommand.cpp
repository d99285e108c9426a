#include "driver/TuiSTDCommand.h"

namespace zq {

TuiSTDCommand::TuiSTDCommand(Platform& platform)
    : FPlatform(platform),
      FDriverInfo(ReadDriverInfo(*OpenConfigFile(platform.Ini, platform.System))),
      FDevicePath(u"\\\\.\\" + FDriverInfo.DeviceName) {}

std::uint32_t TuiSTDCommand::DeviceRW(std::uint8_t* buffer, std::int32_t count,
                                      std::uint32_t code) {
    if (count < 0)
        return 87;
    auto device = FPlatform.Driver.Open(FDevicePath);
    if (!device)
        return ERROR_NOT_READY_;
    std::uint32_t returned = 0;
    const auto size = static_cast<std::uint32_t>(count);
    return device->Control(code, buffer, size, buffer, size, returned);
}

} // namespace zq
