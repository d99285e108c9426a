#pragma once
// The recording side of the system's audio as the microphone-mute button needs
// it: the default capture endpoint's mute state (Windows 6 and later) and the
// legacy mixer's controls (older systems).

#include "platform/Types.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace zq {

// The default capture endpoint as chosen when it was opened. It is kept while it
// works: a later change of the default device is not followed. Once its device
// is unplugged or disabled, or the audio service restarts, every call on it fails
// until its volume control is activated again.
class ICaptureEndpoint {
public:
    virtual ~ICaptureEndpoint() = default;
    // nullopt when the state cannot be read.
    virtual std::optional<bool> GetMute() = 0;
    virtual bool SetMute(bool muted) = 0;
    // Activates the volume control again on the same device (and registers for
    // its notifications anew); false when the device cannot give one now.
    virtual bool Reactivate() = 0;
    // From now on every change of the endpoint's mute or volume, made by this
    // program or anywhere else, posts msg to the window. The audio system reports
    // on threads of its own, so the window is only posted to, never touched; 0
    // stops the reports.
    virtual void NotifyChanges(WindowHandle window, std::uint32_t msg) = 0;
};

// Keeps a registration with the audio system; dropping it ends the reports.
class IAudioWatch {
public:
    virtual ~IAudioWatch() = default;
};

// One open legacy mixer device; closed when released.
class IMixerDevice {
public:
    virtual ~IMixerDevice() = default;
    // The line of the component type; nullopt when the device has none.
    virtual std::optional<std::uint32_t> FindLine(std::uint32_t componentType) = 0;
    // The line's control of the control type; nullopt when it has none.
    virtual std::optional<std::uint32_t> FindControl(std::uint32_t lineId,
                                                     std::uint32_t controlType) = 0;
    // A control's one-channel Boolean value.
    virtual std::optional<std::uint32_t> GetValue(std::uint32_t controlId) = 0;
    virtual bool SetValue(std::uint32_t controlId, std::uint32_t value) = 0;
};

class IAudio {
public:
    virtual ~IAudio() = default;
    // Opens the default capture endpoint for the multimedia role and registers
    // for its change notifications; null when any step fails. Runs on the main
    // thread, which becomes a single-threaded apartment for it.
    virtual std::unique_ptr<ICaptureEndpoint> OpenDefaultCaptureEndpoint() = 0;
    // Posts msg to the window whenever another capture device becomes the
    // default one for the multimedia role (from the audio system's threads, as
    // above); null when the audio system cannot report it.
    virtual std::unique_ptr<IAudioWatch> WatchDefaultCaptureDevice(WindowHandle window,
                                                                   std::uint32_t msg) = 0;

    virtual std::uint32_t MixerDeviceCount() = 0;
    // Null when the device cannot be opened.
    virtual std::unique_ptr<IMixerDevice> OpenMixer(std::uint32_t device) = 0;
};

} // namespace zq
