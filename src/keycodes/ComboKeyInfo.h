#pragma once
// A key combination as a button of a stored profile holds it: virtual-key codes
// with the platform's hot-key modifier flags. The ready-made key lists build these
// rows, and the profile records embed them unchanged.

#include "platform/FixedText.h"

#include <cstddef>
#include <cstdint>

namespace zq {

// Hot-key modifier flags of the platform (MOD_ALT, MOD_CONTROL, MOD_SHIFT, MOD_WIN).
inline constexpr std::uint16_t MOD_ALT_ = 1;
inline constexpr std::uint16_t MOD_CONTROL_ = 2;
inline constexpr std::uint16_t MOD_SHIFT_ = 4;
inline constexpr std::uint16_t MOD_WIN_ = 8;

#pragma pack(push, 1)
struct TCOMBOKEYINFO {
    std::uint16_t nKeyValue1;    // virtual-key code of the main key
    std::uint16_t nKey1Extended; // 1 = extended key
    std::uint16_t nKeyValue2;    // a second key, 0 = none
    std::uint16_t nKey2Extended;
    std::uint16_t nModifier; // MOD_* flags
    TFixedText<31> ComboKeyText;
};
#pragma pack(pop)

static_assert(sizeof(TCOMBOKEYINFO) == 72);
static_assert(offsetof(TCOMBOKEYINFO, nKeyValue1) == 0);
static_assert(offsetof(TCOMBOKEYINFO, nKey1Extended) == 2);
static_assert(offsetof(TCOMBOKEYINFO, nKeyValue2) == 4);
static_assert(offsetof(TCOMBOKEYINFO, nKey2Extended) == 6);
static_assert(offsetof(TCOMBOKEYINFO, nModifier) == 8);
static_assert(offsetof(TCOMBOKEYINFO, ComboKeyText) == 10);

} // namespace zq
