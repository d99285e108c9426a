#pragma once
// Mute and volume of the capture endpoint chosen when it was opened. When its
// device goes away (unplugged, disabled, the audio service restarted) every call
// on the volume control fails; Reactivate asks the same device for a new one.
// The endpoint reports its control changes to a TMyEndpointVolumeCallback,
// which posts them to the window named in NotifyChanges.

#include "platform/Audio.h"
#include "platform/win32/EndpointVolumeCallback.h"
#include "platform/win32/Handles.h"

#include <endpointvolume.h>
#include <mmdeviceapi.h>

namespace zq::win32 {

// IID_IAudioEndpointVolume, spelled out so no import library is needed.
inline constexpr GUID IidIAudioEndpointVolume = {
    0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF7, 0x40, 0x78, 0x22, 0x9A}};

class Win32CaptureEndpoint : public ICaptureEndpoint {
public:
    Win32CaptureEndpoint(ComPtr<IMMDeviceEnumerator> enumerator, ComPtr<IMMDevice> device,
                         ComPtr<IAudioEndpointVolume> endpoint);
    ~Win32CaptureEndpoint() override;
    // The callback holds where reports go; copies would share it.
    Win32CaptureEndpoint(const Win32CaptureEndpoint&) = delete;
    Win32CaptureEndpoint& operator=(const Win32CaptureEndpoint&) = delete;

    std::optional<bool> GetMute() override;
    bool SetMute(bool muted) override;
    bool Reactivate() override;
    void NotifyChanges(WindowHandle window, std::uint32_t msg) override;

    // The object registered with the endpoint (what the audio service calls),
    // and whether the endpoint accepted it.
    IAudioEndpointVolumeCallback* Callback() const { return FCallback.Get(); }
    bool Registered() const { return FRegistered; }

private:
    void Register(ComPtr<IAudioEndpointVolume> endpoint);
    void Unregister();

    ComPtr<IMMDeviceEnumerator> FMMDevEnum;
    ComPtr<IMMDevice> FMMDev;
    ComPtr<TMyEndpointVolumeCallback> FCallback;
    ComPtr<IAudioEndpointVolume> FEndpoint;
    bool FRegistered = false;
};

} // namespace zq::win32
