#include "driver/CpiTransfer.h"

#include "driver/TuiSTDCommand.h"

#include <array>
#include <cstring>

namespace zq {

std::uint32_t SendCPIUnit(TuiSTDCommand& command, const CPI_UNIT& unit) {
    std::array<std::uint8_t, sizeof(CPI_UNIT)> buffer;
    std::memcpy(buffer.data(), &unit, sizeof(CPI_UNIT));
    return command.DeviceRW(buffer.data(), static_cast<std::int32_t>(buffer.size()),
                            IOCTL_SET_CPI_UNIT);
}

std::uint32_t SendCurrentCpi(TuiSTDCommand& command, std::uint16_t level) {
    std::array<std::uint8_t, 2> buffer = {static_cast<std::uint8_t>(level & 0xFF),
                                          static_cast<std::uint8_t>(level >> 8)};
    return command.DeviceRW(buffer.data(), static_cast<std::int32_t>(buffer.size()),
                            IOCTL_SET_CURRENT_CPI);
}

} // namespace zq
