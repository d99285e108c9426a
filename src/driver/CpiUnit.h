#pragma once
// The CPI settings record sent to the mouse's filter driver, and how it is
// filled. A profile may ask for any CPI per level and axis; the sensor runs at
// one of 16 hardware values, and the driver scales the movement by the rate in
// percent. The record is a wire format: every offset binds.

#include <array>
#include <cstddef>
#include <cstdint>

namespace zq {

#pragma pack(push, 1)
struct CPI_VALUE {
    std::uint8_t Enable; // 1 when the level is in use
    std::uint32_t X;
    std::uint32_t Y;
};
static_assert(sizeof(CPI_VALUE) == 9);

struct CPI_RATE {
    std::int16_t X; // percent
    std::int16_t Y;
};
static_assert(sizeof(CPI_RATE) == 4);

struct CPI_UNIT {
    std::uint16_t password;        // 0x5E71 in every record built
    std::uint16_t NeedApplyNewCPI; // 1 when built; 0 in the last record at shutdown
    std::uint16_t ReportLength;    // length of the mouse's movement report
    std::uint8_t X_LowByte;        // positions of the movement bytes in that report
    std::uint8_t X_HighByte;
    std::uint8_t Y_LowByte;
    std::uint8_t Y_HighByte;
    std::int16_t X_Counter;
    std::int16_t Y_Counter;
    std::uint16_t CpiCount;
    std::uint16_t CurrentCpi; // index of the active level
    CPI_VALUE HWCpi[10];      // hardware CPI per level
    CPI_VALUE STCpi[10];      // CPI the profile asks for per level
    CPI_RATE XYCpiRate[10];   // scale per level and axis
};
#pragma pack(pop)

static_assert(sizeof(CPI_UNIT) == 238);
static_assert(offsetof(CPI_UNIT, NeedApplyNewCPI) == 2);
static_assert(offsetof(CPI_UNIT, ReportLength) == 4);
static_assert(offsetof(CPI_UNIT, X_LowByte) == 6);
static_assert(offsetof(CPI_UNIT, X_HighByte) == 7);
static_assert(offsetof(CPI_UNIT, Y_LowByte) == 8);
static_assert(offsetof(CPI_UNIT, Y_HighByte) == 9);
static_assert(offsetof(CPI_UNIT, X_Counter) == 10);
static_assert(offsetof(CPI_UNIT, Y_Counter) == 12);
static_assert(offsetof(CPI_UNIT, CpiCount) == 14);
static_assert(offsetof(CPI_UNIT, CurrentCpi) == 16);
static_assert(offsetof(CPI_UNIT, HWCpi) == 18);
static_assert(offsetof(CPI_UNIT, STCpi) == 108);
static_assert(offsetof(CPI_UNIT, XYCpiRate) == 198);

inline constexpr std::uint16_t CpiPassword = 0x5E71;

// Request codes of the filter driver (device type 0x8000, buffered, any access).
inline constexpr std::uint32_t DriverRequestCode(std::uint32_t function) {
    return 0x8000u * 65536u + 0u * 16384u + function * 4u + 0u;
}
inline constexpr std::uint32_t IOCTL_SET_CPI_UNIT = DriverRequestCode(0x2001);
inline constexpr std::uint32_t IOCTL_SET_CURRENT_CPI = DriverRequestCode(0x2003);
static_assert(IOCTL_SET_CPI_UNIT == 0x80008004u && IOCTL_SET_CURRENT_CPI == 0x8000800Cu);

// The sensor's CPI values, ascending: 250 to 4000 in steps of 250.
inline constexpr std::array<std::uint32_t, 16> HardwareCPITable = {
    250, 500, 750, 1000, 1250, 1500, 1750, 2000, 2250, 2500, 2750, 3000, 3250, 3500, 3750, 4000};

// Levels of a profile that are sent (the record has room for ten).
inline constexpr int SentCpiLevels = 5;

std::uint32_t MaxCPIValue(std::uint32_t a, std::uint32_t b);
// Low or High, whichever is nearer to Value; Low on a tie.
std::int64_t NearestCPIValue(std::int64_t low, std::int64_t high, std::int64_t value);
// The hardware value that serves the asked-for CPI.
std::uint32_t MatchHardwareCPI(std::uint32_t value);
// Fills the rates of levels 0 to 4 from their hardware and asked-for values.
void CalcXYCpiRate(CPI_UNIT& unit);

// One CPI level of a profile as the record is built from it.
struct CpiLevel {
    std::uint16_t X = 0;
    std::uint16_t Y = 0;
    std::uint16_t Enabled = 0;
};

// Fills the record for the active profile: fixed report layout, the active level
// (0 when outside 0 to 10) and levels 0 to 4. Fields it does not name keep their
// content.
void BuildCpiUnit(CPI_UNIT& unit, std::int32_t currentCpiIndex,
                  const std::array<CpiLevel, SentCpiLevels>& levels);

} // namespace zq
