#include "driver/CpiTransfer.h"

#include <cstring>

namespace zq {

std::uint32_t SendCPIUnit(TuiSTDCommand& channel, const CPI_UNIT& unit) {
    std::uint8_t buffer[sizeof(CPI_UNIT)];
    std::memcpy(buffer, &unit, sizeof(buffer));
    return channel.DeviceRW(buffer, sizeof(buffer), IOCTL_SET_CPI_UNIT);
}

std::uint32_t SendCurrentCpi(TuiSTDCommand& channel, std::uint16_t level) {
    std::uint8_t buffer[2] = {static_cast<std::uint8_t>(level & 0xFF),
                              static_cast<std::uint8_t>(level >> 8)};
    return channel.DeviceRW(buffer, sizeof(buffer), IOCTL_SET_CURRENT_CPI);
}

} // namespace zq
