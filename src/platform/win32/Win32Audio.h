#pragma once
// The recording side of the system's audio on Windows: the default capture
// endpoint through Core Audio, and the legacy multimedia mixer (bound at run
// time from the system folder, used only on systems before Windows 6).

#include "platform/Audio.h"
#include "platform/win32/Handles.h"

#include <memory>

namespace zq::win32 {

struct MixerApi;

class Win32Audio : public IAudio {
public:
    Win32Audio() = default;
    ~Win32Audio() override;
    Win32Audio(const Win32Audio&) = delete;
    Win32Audio& operator=(const Win32Audio&) = delete;

    std::unique_ptr<ICaptureEndpoint> OpenDefaultCaptureEndpoint() override;
    std::uint32_t MixerDeviceCount() override;
    std::unique_ptr<IMixerDevice> OpenMixer(std::uint32_t device) override;
    std::unique_ptr<IAudioWatch> WatchDefaultCaptureDevice(WindowHandle window,
                                                           std::uint32_t msg) override;

private:
    void InitializeCom();
    bool BindMixer();

    bool FComInitialized = false;
    std::shared_ptr<const MixerApi> FMixer; // bound on first use
};

} // namespace zq::win32
