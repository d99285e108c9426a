#pragma once
// Commands and queries to the mouse, carried by feature reports of its vendor
// collection. A command is built as a DEVICE_COMMAND record, then packed into a
// feature report whose id and size follow from its length: a command is one
// set-feature request, a query a set-feature request with the query header and
// then a get-feature request that fetches the reply.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zq {

class TuiHIDData;

inline constexpr std::uint16_t DeviceCommandPassword = 0x5E71;

#pragma pack(push, 1)
struct DEVICE_COMMAND {
    std::uint16_t password = DeviceCommandPassword;
    std::uint8_t Reserved = 0;
    std::uint8_t Header[8] = {}; // H0 (command byte) ... H7
    std::uint8_t Payload[2048] = {};
};
#pragma pack(pop)
static_assert(sizeof(DEVICE_COMMAND) == 2059);
static_assert(offsetof(DEVICE_COMMAND, Reserved) == 2);
static_assert(offsetof(DEVICE_COMMAND, Header) == 3);
static_assert(offsetof(DEVICE_COMMAND, Payload) == 11);

// Command bytes (H0) the program builds.
inline constexpr std::uint8_t DEVCMD_QUERY = 3;
inline constexpr std::uint8_t DEVCMD_MODE = 6;
// Query codes; the profile's CPI index is asked with QUERY_PROFILE_CPI + 256 x profile.
inline constexpr std::uint16_t QUERY_CURRENT_PROFILE = 0x0043;
inline constexpr std::uint16_t QUERY_PROFILE_CPI = 0x004F;
// Reply length of QueryDeviceBlock.
inline constexpr std::uint16_t DeviceBlockLength = 42;
using TDeviceBlock = std::array<std::uint8_t, DeviceBlockLength>;

// Payload length of a command, by its class (bits 0 to 6 of H0): class 0 has H2
// bytes, classes 2 and 3 have H3 + 256 x H4, every other class none.
std::uint32_t CommandPayloadLength(const std::uint8_t (&header)[8]);
// Feature report id for a transfer of `length` bytes (8 + payload length).
std::uint8_t ReportIdForLength(std::uint32_t length);
// Size of a feature report, report id included.
std::uint32_t ReportSizeForId(std::uint8_t reportId);
// Header to report bytes 0 ... 7: the report id, then H0 ... H6 (H7 is not sent).
void PackCommandHeader(std::uint8_t reportId, std::uint8_t (&header)[8]);
// Reply report bytes 0 ... 7 back to H0 ... H6, H7 = 0.
void UnpackReplyHeader(std::uint8_t (&header)[8]);

// The operations below run on the caller's thread and return 0 or the non-zero
// result of the failing feature transfer. The record's header is left packed (or
// unpacked from the reply after a successful query).
std::uint32_t SendDeviceCommand(TuiHIDData& hid, DEVICE_COMMAND& command);
// On success the reply payload starts at Payload[0].
std::uint32_t QueryDeviceCommand(TuiHIDData& hid, DEVICE_COMMAND& command);
// On success the first `length` bytes of the reply are in destination (as many
// as fit); on failure destination is left as it was.
std::uint32_t QueryDevice(TuiHIDData& hid, std::span<std::uint8_t> destination,
                          std::uint16_t length, std::uint16_t code);
std::uint32_t QueryDeviceByte(TuiHIDData& hid, std::uint8_t& destination, std::uint16_t code);
std::uint32_t QueryDeviceBlock(TuiHIDData& hid, TDeviceBlock& destination, std::uint16_t code);
// The device's mode: 0 before a query sequence, 1 after it. Failures are silent.
void SetDeviceMode(TuiHIDData& hid, std::uint8_t mode);
// The CPI index of a profile (byte 1 of the reply); destination unchanged on failure.
std::uint32_t GetProfileCpiIndex(TuiHIDData& hid, std::uint8_t profile, std::int32_t& destination);

} // namespace zq
