#pragma once
// The two requests that carry CPI settings to the filter driver.

#include "driver/CpiUnit.h"
#include "driver/TuiSTDCommand.h"

#include <cstdint>

namespace zq {

// Sends a private copy of the record, so the driver's reply never changes it.
std::uint32_t SendCPIUnit(TuiSTDCommand& channel, const CPI_UNIT& unit);
// Sends the active level alone, as two bytes.
std::uint32_t SendCurrentCpi(TuiSTDCommand& channel, std::uint16_t level);

} // namespace zq
