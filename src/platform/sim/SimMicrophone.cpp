#include "platform/sim/SimMicrophone.h"

#include <algorithm>

namespace zq::sim {

namespace {
constexpr std::uint32_t MicrophoneLineType = 0x1003;
constexpr std::uint32_t MuteControlType = 0x20010002;
constexpr std::uint32_t MicrophoneLineId = 0x10000;
constexpr std::uint32_t MuteControlId = 7;
} // namespace

class SimMicrophone::Endpoint : public ICaptureEndpoint {
public:
    Endpoint(SimMicrophone& owner, int device)
        : FOwner(owner), FDevice(device),
          FGeneration(owner.FDevices[static_cast<std::size_t>(device)].Generation) {
        FOwner.FEndpoints.push_back(this);
    }
    ~Endpoint() override { std::erase(FOwner.FEndpoints, this); }
    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;
    std::optional<bool> GetMute() override {
        if (FOwner.FGetFails || !Valid())
            return std::nullopt;
        return State().Muted;
    }
    bool SetMute(bool muted) override {
        if (FOwner.FSetFails || !Valid())
            return false;
        FOwner.Change(FDevice, muted);
        return true;
    }
    bool Reactivate() override {
        if (!State().Present)
            return false;
        FGeneration = State().Generation;
        return true;
    }
    void NotifyChanges(WindowHandle window, std::uint32_t msg) override {
        FWindow = window;
        FMessage = msg;
    }
    // The audio system reports to a working endpoint only.
    void Report(int device) {
        if (device == FDevice && FWindow != 0 && Valid())
            FOwner.FDesktop.PostToWindow(FWindow, FMessage, 0, 0);
    }

private:
    Device& State() { return FOwner.FDevices[static_cast<std::size_t>(FDevice)]; }
    bool Valid() { return State().Present && State().Generation == FGeneration; }

    SimMicrophone& FOwner;
    int FDevice;
    int FGeneration;
    WindowHandle FWindow = 0;
    std::uint32_t FMessage = 0;
};

class SimMicrophone::Watch : public IAudioWatch {
public:
    Watch(SimMicrophone& owner, WindowHandle window, std::uint32_t msg)
        : FOwner(owner), FWindow(window), FMessage(msg) {
        FOwner.FWatches.push_back(this);
    }
    ~Watch() override { std::erase(FOwner.FWatches, this); }
    Watch(const Watch&) = delete;
    Watch& operator=(const Watch&) = delete;
    void Report() { FOwner.FDesktop.PostToWindow(FWindow, FMessage, 0, 0); }

private:
    SimMicrophone& FOwner;
    WindowHandle FWindow;
    std::uint32_t FMessage;
};

class SimMicrophone::Mixer : public IMixerDevice {
public:
    explicit Mixer(SimMicrophone& owner) : FOwner(owner) {}
    std::optional<std::uint32_t> FindLine(std::uint32_t componentType) override {
        if (componentType == MicrophoneLineType && FOwner.FMixerLine)
            return MicrophoneLineId;
        return std::nullopt;
    }
    std::optional<std::uint32_t> FindControl(std::uint32_t lineId,
                                             std::uint32_t controlType) override {
        if (lineId == MicrophoneLineId && controlType == MuteControlType && FOwner.FMixerControl)
            return MuteControlId;
        return std::nullopt;
    }
    std::optional<std::uint32_t> GetValue(std::uint32_t controlId) override {
        if (controlId != MuteControlId || FOwner.FMixerValueFails)
            return std::nullopt;
        return FOwner.FDevices[0].Muted ? 1u : 0u;
    }
    bool SetValue(std::uint32_t controlId, std::uint32_t value) override {
        if (controlId != MuteControlId || FOwner.FMixerValueFails)
            return false;
        FOwner.Change(0, value != 0);
        return true;
    }

private:
    SimMicrophone& FOwner;
};

SimMicrophone::SimMicrophone(SimLog& log, IDesktop& desktop)
    : FDesktop(desktop), FLog(log), FDevices(1) {}

std::unique_ptr<ICaptureEndpoint> SimMicrophone::OpenDefaultCaptureEndpoint() {
    ++FOpens;
    if (!FDevices[static_cast<std::size_t>(FDefault)].Present)
        return nullptr;
    return std::make_unique<Endpoint>(*this, FDefault);
}

std::unique_ptr<IAudioWatch> SimMicrophone::WatchDefaultCaptureDevice(WindowHandle window,
                                                                      std::uint32_t msg) {
    return std::make_unique<Watch>(*this, window, msg);
}

std::uint32_t SimMicrophone::MixerDeviceCount() {
    return FMixerPresent ? 1 : 0;
}

std::unique_ptr<IMixerDevice> SimMicrophone::OpenMixer(std::uint32_t device) {
    if (!FMixerPresent || device != 0)
        return nullptr;
    return std::make_unique<Mixer>(*this);
}

void SimMicrophone::SetPresent(bool present) {
    for (int i = 0; i < static_cast<int>(FDevices.size()); ++i)
        SetDevicePresent(i, present);
}

void SimMicrophone::SetDevicePresent(int device, bool present) {
    Device& d = FDevices.at(static_cast<std::size_t>(device));
    // A removal invalidates what was activated on the device, for good.
    if (d.Present && !present)
        ++d.Generation;
    d.Present = present;
}

void SimMicrophone::RestartAudioService() {
    for (Device& d : FDevices)
        ++d.Generation;
}

int SimMicrophone::AddDevice() {
    FDevices.emplace_back();
    return static_cast<int>(FDevices.size()) - 1;
}

void SimMicrophone::SetDefaultDevice(int index) {
    if (index < 0 || index >= static_cast<int>(FDevices.size()) || index == FDefault)
        return;
    FDefault = index;
    // A watcher may drop its watch in the middle of being told.
    for (Watch* watch : std::vector<Watch*>(FWatches))
        watch->Report();
}

bool SimMicrophone::Muted(int device) const {
    return FDevices.at(static_cast<std::size_t>(device)).Muted;
}

void SimMicrophone::SetMuted(bool muted, int device) {
    FDevices.at(static_cast<std::size_t>(device)).Muted = muted;
    ReportChange(device);
}

void SimMicrophone::ReportChange(int device) {
    for (Endpoint* endpoint : std::vector<Endpoint*>(FEndpoints))
        endpoint->Report(device);
}

void SimMicrophone::Change(int device, bool muted) {
    FDevices[static_cast<std::size_t>(device)].Muted = muted;
    std::string line = muted ? "muted" : "unmuted";
    if (device != 0)
        line += " device " + std::to_string(device);
    FLog.Add("mic", line);
    ReportChange(device);
}

} // namespace zq::sim
