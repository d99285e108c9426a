#pragma once
// The two CPI requests to the filter driver, sent through the driver channel.

#include "driver/CpiUnit.h"

#include <cstdint>

namespace zq {

class TuiSTDCommand;

// Sends the 238 bytes of the record with IOCTL_SET_CPI_UNIT. The driver's reply
// lands in a private copy, so the caller's record never changes by sending.
// The result is DeviceRW's.
std::uint32_t SendCPIUnit(TuiSTDCommand& command, const CPI_UNIT& unit);
// Sends the level as 2 bytes (little-endian) with IOCTL_SET_CURRENT_CPI.
std::uint32_t SendCurrentCpi(TuiSTDCommand& command, std::uint16_t level);

} // namespace zq
