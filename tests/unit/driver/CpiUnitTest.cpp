// The CPI record as the filter driver receives it, byte for byte.

#include "driver/CpiUnit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace zq {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(const CPI_UNIT& unit) {
    Bytes bytes(sizeof(unit));
    std::memcpy(bytes.data(), &unit, sizeof(unit));
    return bytes;
}

// The expected record written field by field at its offsets, independent of the
// structure declaration.
class Expected {
public:
    Expected() : FBytes(238, 0) {}
    Expected& U16(std::size_t at, std::uint16_t v) {
        FBytes[at] = v & 0xFF;
        FBytes[at + 1] = v >> 8;
        return *this;
    }
    Expected& U32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            FBytes[at + i] = (v >> (8 * i)) & 0xFF;
        return *this;
    }
    Expected& Header(std::uint16_t need, std::uint16_t current) {
        U16(0, 0x5E71).U16(2, need).U16(4, 8);
        FBytes[6] = 2, FBytes[7] = 3, FBytes[8] = 4, FBytes[9] = 5;
        return U16(16, current);
    }
    Expected& Level(int i, std::uint8_t enable, std::uint32_t hw, std::uint32_t stX,
                    std::uint32_t stY, std::uint16_t rateX, std::uint16_t rateY) {
        FBytes[18 + 9 * i] = enable;
        U32(18 + 9 * i + 1, hw).U32(18 + 9 * i + 5, hw);
        FBytes[108 + 9 * i] = enable;
        U32(108 + 9 * i + 1, stX).U32(108 + 9 * i + 5, stY);
        return U16(198 + 4 * i, rateX).U16(198 + 4 * i + 2, rateY);
    }
    const Bytes& Get() const { return FBytes; }

private:
    Bytes FBytes;
};

CPI_UNIT Built(std::int32_t current, const std::array<CpiLevel, SentCpiLevels>& levels) {
    CPI_UNIT unit{};
    BuildCpiUnit(unit, current, levels);
    return unit;
}

TEST(CpiUnit, LevelsOfTheCpiResetGiveTheirHardwareValuesAndRates) {
    const auto unit =
        Built(1, {{{1000, 1000, 1}, {2000, 2000, 1}, {4000, 4000, 1}, {8200, 8200, 1}, {0, 0, 0}}});
    Expected expected;
    expected.Header(1, 1)
        .Level(0, 1, 1000, 1000, 1000, 100, 100)
        .Level(1, 1, 2000, 2000, 2000, 100, 100)
        .Level(2, 1, 4000, 4000, 4000, 100, 100)
        .Level(3, 1, 4000, 8200, 8200, 205, 205)
        .Level(4, 0, 250, 0, 0, 0, 0);
    EXPECT_EQ(BytesOf(unit), expected.Get());
}

TEST(CpiUnit, DifferentAxesRunAtTheHardwareValueNearestToTheLargerOne) {
    const auto unit =
        Built(0, {{{800, 1600, 1}, {1125, 1125, 1}, {1126, 0, 1}, {0, 0, 1}, {65535, 4000, 1}}});
    Expected expected;
    expected.Header(1, 0)
        .Level(0, 1, 1500, 800, 1600, 53, 106)
        .Level(1, 1, 1000, 1125, 1125, 112, 112) // half-way goes down
        .Level(2, 1, 1250, 1126, 0, 90, 0)
        .Level(3, 1, 250, 0, 0, 0, 0)
        .Level(4, 1, 4000, 65535, 4000, 1638, 100);
    EXPECT_EQ(BytesOf(unit), expected.Get());
}

TEST(CpiUnit, ActiveLevelOutsideTheRecordIsSentAsZero) {
    const std::array<CpiLevel, SentCpiLevels> levels{};
    EXPECT_EQ(Built(10, levels).CurrentCpi, 10);
    EXPECT_EQ(Built(11, levels).CurrentCpi, 0);
    EXPECT_EQ(Built(-1, levels).CurrentCpi, 0);
}

TEST(CpiUnit, HardwareMatchAtTheEdgesOfTheTable) {
    EXPECT_EQ(MatchHardwareCPI(0), 250u);
    EXPECT_EQ(MatchHardwareCPI(250), 250u);
    EXPECT_EQ(MatchHardwareCPI(375), 250u);
    EXPECT_EQ(MatchHardwareCPI(376), 500u);
    EXPECT_EQ(MatchHardwareCPI(3999), 4000u);
    EXPECT_EQ(MatchHardwareCPI(4000), 4000u);
    EXPECT_EQ(MatchHardwareCPI(0xFFFFFFFFu), 4000u);
    EXPECT_EQ(NearestCPIValue(1000, 1250, 1125), 1000);
    EXPECT_EQ(MaxCPIValue(7, 3), 7u);
}

TEST(CpiUnit, RatesNeedBothHardwareAxes) {
    CPI_UNIT unit{};
    unit.HWCpi[0] = {1, 250, 0};
    unit.STCpi[0] = {1, 500, 500};
    unit.HWCpi[5] = {1, 250, 250}; // levels beyond the fifth are never rated
    unit.STCpi[5] = {1, 500, 500};
    CalcXYCpiRate(unit);
    EXPECT_EQ(unit.XYCpiRate[0].X, 0);
    EXPECT_EQ(unit.XYCpiRate[0].Y, 0);
    EXPECT_EQ(unit.XYCpiRate[5].X, 0);
}

} // namespace
} // namespace zq
