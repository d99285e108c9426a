#pragma once
// The HID collection the program talks to, named by its top-level usage page and
// usage. The profile manager sets the program-wide pair when it is created, and
// the HID transport reads it for every device lookup; it lives here, below both.

#include <cstdint>

namespace zq {

#pragma pack(push, 1)
struct USAGE_AND_PAGE {
    std::uint16_t Usage = 0;
    std::uint16_t UsagePage = 0;
    bool operator==(const USAGE_AND_PAGE&) const = default;
};
#pragma pack(pop)
static_assert(sizeof(USAGE_AND_PAGE) == 4);

// The mouse's vendor collection: usage page 0xFFA0, usage 0x0001.
inline constexpr USAGE_AND_PAGE VendorUsageAndPage{0x0001, 0xFFA0};

// Program-wide; all zero until the profile manager is created.
extern USAGE_AND_PAGE DeviceUsageAndPage;

} // namespace zq
