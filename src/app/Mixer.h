#pragma once
// The legacy mixer's mute switches, used for the microphone on systems before
// Windows 6: the mute control of one line of mixer device 0.

#include "platform/Audio.h"
#include "platform/Desktop.h"

#include <cstdint>

namespace zq {

// Line selectors and the mixer line component type each stands for.
enum MixerLine : std::uint8_t {
    MixerSpeakers = 0,
    MixerMicrophone = 1,
    MixerWaveOut = 2,
    MixerSynthesizer = 3
};
std::uint32_t MixerComponentType(std::uint8_t selector);

inline constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_MUTE_ = 0x20010002;

// The line's mute state; false whenever it cannot be read.
bool MixerGetMute(IAudio& audio, IDesktop& desktop, std::uint8_t selector);
void MixerSetMute(IAudio& audio, IDesktop& desktop, std::uint8_t selector, bool muted);

} // namespace zq
