#pragma once
// Recording devices of the simulated world: capture endpoints (one of them the
// default) with their mute state, and a legacy mixer with a microphone line.
// Every change the program makes goes to the log as "mic muted" / "mic unmuted".
// As on Windows, an opened endpoint fails every call once its device has gone
// away or the audio service has restarted, until it is activated again; and it
// can be activated again only while its device is there. Like the audio
// system, it posts its reports to the windows that asked for them: every mute
// change of a device to the endpoints opened on it, and every change of the
// default device to the watchers.

#include "platform/Audio.h"
#include "platform/Desktop.h"
#include "platform/sim/SimLog.h"

#include <memory>
#include <string>
#include <vector>

namespace zq::sim {

class SimMicrophone : public IAudio {
public:
    SimMicrophone(SimLog& log, IDesktop& desktop);

    std::unique_ptr<ICaptureEndpoint> OpenDefaultCaptureEndpoint() override;
    std::uint32_t MixerDeviceCount() override;
    std::unique_ptr<IMixerDevice> OpenMixer(std::uint32_t device) override;
    std::unique_ptr<IAudioWatch> WatchDefaultCaptureDevice(WindowHandle window,
                                                           std::uint32_t msg) override;

    // The capture devices: "mic" exists and is the default at start.
    void SetPresent(bool present); // every capture device unplugged, or plugged back
    void SetDevicePresent(int device, bool present);
    // Every opened endpoint is invalidated; the devices stay.
    void RestartAudioService();
    int AddDevice(); // another device; returns its index
    void SetDefaultDevice(int index);
    bool Muted(int device = 0) const;
    // A change made elsewhere (the system's settings, another program, a
    // headset's button): not logged, but reported to the endpoints on the device.
    void SetMuted(bool muted, int device = 0);
    void SetGetMuteFails(bool fails) { FGetFails = fails; }
    void SetSetMuteFails(bool fails) { FSetFails = fails; }
    int EndpointOpenCount() const { return FOpens; }

    // The legacy mixer (device 0) with its microphone line; its mute is device 0's.
    void SetMixerPresent(bool present) { FMixerPresent = present; }
    void SetMixerHasMicrophoneLine(bool has) { FMixerLine = has; }
    void SetMixerHasMuteControl(bool has) { FMixerControl = has; }
    void SetMixerValueFails(bool fails) { FMixerValueFails = fails; }

private:
    class Endpoint;
    class Mixer;
    class Watch;
    struct Device {
        bool Muted = false;
        bool Present = true;
        // Counts the invalidations: an endpoint works while it matches.
        int Generation = 0;
    };
    void Change(int device, bool muted);
    void ReportChange(int device);

    IDesktop& FDesktop;
    std::vector<Endpoint*> FEndpoints;
    std::vector<Watch*> FWatches;
    SimLog& FLog;
    std::vector<Device> FDevices;
    int FDefault = 0;
    bool FGetFails = false;
    bool FSetFails = false;
    int FOpens = 0;
    bool FMixerPresent = true;
    bool FMixerLine = true;
    bool FMixerControl = true;
    bool FMixerValueFails = false;
};

} // namespace zq::sim
