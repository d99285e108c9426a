#include "app/Mixer.h"

#include <memory>
#include <optional>

namespace zq {

std::uint32_t MixerComponentType(std::uint8_t selector) {
    switch (selector) {
    case MixerSpeakers:
        return 4; // destination: speakers
    case MixerMicrophone:
        return 0x1003; // source: microphone
    case MixerWaveOut:
        return 0x1008; // source: wave output
    case MixerSynthesizer:
        return 0x1004; // source: synthesizer
    default:
        return 0;
    }
}

namespace {

// Opens mixer device 0 and finds the line's mute control. A missing device or
// line fails silently; a line without a mute control is reported to the user.
struct MuteControl {
    std::unique_ptr<IMixerDevice> Device;
    std::uint32_t Control = 0;
};

std::optional<MuteControl> FindMuteControl(IAudio& audio, IDesktop& desktop,
                                           std::uint8_t selector) {
    if (audio.MixerDeviceCount() < 1)
        return std::nullopt;
    MuteControl mute;
    mute.Device = audio.OpenMixer(0);
    if (!mute.Device)
        return std::nullopt;
    const auto line = mute.Device->FindLine(MixerComponentType(selector));
    if (!line)
        return std::nullopt;
    const auto control = mute.Device->FindControl(*line, MIXERCONTROL_CONTROLTYPE_MUTE_);
    if (!control) {
        desktop.ShowMessage(u"GetLineInfo Error");
        return std::nullopt;
    }
    mute.Control = *control;
    return mute;
}

} // namespace

bool MixerGetMute(IAudio& audio, IDesktop& desktop, std::uint8_t selector) {
    auto mute = FindMuteControl(audio, desktop, selector);
    if (!mute)
        return false;
    const auto value = mute->Device->GetValue(mute->Control);
    if (!value) {
        desktop.ShowMessage(u"SetControlDetails Error");
        return false;
    }
    return *value != 0;
}

void MixerSetMute(IAudio& audio, IDesktop& desktop, std::uint8_t selector, bool muted) {
    auto mute = FindMuteControl(audio, desktop, selector);
    if (mute && !mute->Device->SetValue(mute->Control, muted ? 1 : 0))
        desktop.ShowMessage(u"SetControlDetails Error");
}

} // namespace zq
