#include "driver/CpiUnit.h"

#include <algorithm>

namespace zq {

std::uint32_t MaxCPIValue(std::uint32_t a, std::uint32_t b) {
    return std::max(a, b);
}

std::int64_t NearestCPIValue(std::int64_t low, std::int64_t high, std::int64_t value) {
    return value - low <= high - value ? low : high;
}

std::uint32_t MatchHardwareCPI(std::uint32_t value) {
    if (value <= HardwareCPITable.front())
        return HardwareCPITable.front();
    if (value >= HardwareCPITable.back())
        return HardwareCPITable.back();
    for (std::size_t i = 0; i + 1 < HardwareCPITable.size(); ++i)
        if (HardwareCPITable[i] <= value && value < HardwareCPITable[i + 1])
            return static_cast<std::uint32_t>(
                NearestCPIValue(HardwareCPITable[i], HardwareCPITable[i + 1], value));
    return HardwareCPITable.back();
}

void CalcXYCpiRate(CPI_UNIT& unit) {
    for (int i = 0; i < SentCpiLevels; ++i) {
        const CPI_VALUE hw = unit.HWCpi[i];
        const CPI_VALUE st = unit.STCpi[i];
        CPI_RATE rate{0, 0};
        if (hw.X != 0 && hw.Y != 0) {
            // At least 250 in hardware and at most 65535 asked for: at most 26214.
            rate.X =
                static_cast<std::int16_t>(std::min<std::uint64_t>(st.X * 100ull / hw.X, 32767));
            rate.Y =
                static_cast<std::int16_t>(std::min<std::uint64_t>(st.Y * 100ull / hw.Y, 32767));
        }
        unit.XYCpiRate[i] = rate;
    }
}

void BuildCpiUnit(CPI_UNIT& unit, std::int32_t currentCpiIndex,
                  const std::array<CpiLevel, SentCpiLevels>& levels) {
    unit.password = CpiPassword;
    unit.NeedApplyNewCPI = 1;
    unit.ReportLength = 8;
    unit.X_LowByte = 2;
    unit.X_HighByte = 3;
    unit.Y_LowByte = 4;
    unit.Y_HighByte = 5;
    unit.CurrentCpi = static_cast<std::uint16_t>(
        currentCpiIndex >= 0 && currentCpiIndex <= 10 ? currentCpiIndex : 0);
    for (int i = 0; i < SentCpiLevels; ++i) {
        const CpiLevel& level = levels[static_cast<std::size_t>(i)];
        unit.STCpi[i] =
            CPI_VALUE{static_cast<std::uint8_t>(level.Enabled & 0xFF), level.X, level.Y};
        const std::uint32_t hardware = MatchHardwareCPI(MaxCPIValue(level.X, level.Y));
        unit.HWCpi[i] = CPI_VALUE{unit.STCpi[i].Enable, hardware, hardware};
    }
    CalcXYCpiRate(unit);
}

} // namespace zq
