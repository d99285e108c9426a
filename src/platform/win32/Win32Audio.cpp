#include "platform/win32/Win32Audio.h"

#include "platform/win32/EndpointVolumeCallback.h"

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>
#include <objbase.h>

namespace zq::win32 {

namespace {

// The interface identifiers, spelled out so no import library is needed.
constexpr GUID ClsidMMDeviceEnumerator = {
    0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
constexpr GUID IidIMMDeviceEnumerator = {
    0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
constexpr GUID IidIAudioEndpointVolume = {
    0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF7, 0x40, 0x78, 0x22, 0x9A}};

// Mute and volume of the capture endpoint chosen when it was opened. When its
// device goes away (unplugged, disabled, the audio service restarted) every call
// on the volume control fails; Reactivate asks the same device for a new one.
class Win32CaptureEndpoint : public ICaptureEndpoint {
public:
    Win32CaptureEndpoint(ComPtr<IMMDeviceEnumerator> enumerator, ComPtr<IMMDevice> device,
                         ComPtr<IAudioEndpointVolume> endpoint)
        : FMMDevEnum(std::move(enumerator)), FMMDev(std::move(device)),
          FCallback(TMyEndpointVolumeCallback::Create()) {
        Register(std::move(endpoint));
    }
    ~Win32CaptureEndpoint() override { Unregister(); }
    Win32CaptureEndpoint(const Win32CaptureEndpoint&) = delete;
    Win32CaptureEndpoint& operator=(const Win32CaptureEndpoint&) = delete;

    std::optional<bool> GetMute() override {
        BOOL muted = FALSE;
        if (!FEndpoint || FAILED(FEndpoint->GetMute(&muted)))
            return std::nullopt;
        return muted != FALSE;
    }
    bool SetMute(bool muted) override {
        return FEndpoint && SUCCEEDED(FEndpoint->SetMute(muted ? TRUE : FALSE, nullptr));
    }
    bool Reactivate() override {
        ComPtr<IAudioEndpointVolume> endpoint;
        if (FAILED(FMMDev->Activate(IidIAudioEndpointVolume, CLSCTX_ALL, nullptr,
                                    endpoint.PutVoid())) ||
            !endpoint)
            return false;
        Unregister();
        Register(std::move(endpoint));
        return true;
    }

private:
    void Register(ComPtr<IAudioEndpointVolume> endpoint) {
        FEndpoint = std::move(endpoint);
        // The endpoint keeps its own reference to the callback while registered.
        FRegistered =
            FCallback && SUCCEEDED(FEndpoint->RegisterControlChangeNotify(FCallback.Get()));
    }
    void Unregister() {
        // A notification under way keeps the callback alive through its reference;
        // ours goes with this object.
        if (FRegistered)
            FEndpoint->UnregisterControlChangeNotify(FCallback.Get());
        FRegistered = false;
        FEndpoint.Reset();
    }

    ComPtr<IMMDeviceEnumerator> FMMDevEnum;
    ComPtr<IMMDevice> FMMDev;
    ComPtr<IAudioEndpointVolumeCallback> FCallback;
    ComPtr<IAudioEndpointVolume> FEndpoint;
    bool FRegistered = false;
};

using MixerGetNumDevsFn = UINT(WINAPI*)();
using MixerOpenFn = MMRESULT(WINAPI*)(LPHMIXER, UINT, DWORD_PTR, DWORD_PTR, DWORD);
using MixerCloseFn = MMRESULT(WINAPI*)(HMIXER);
using MixerGetLineInfoFn = MMRESULT(WINAPI*)(HMIXEROBJ, LPMIXERLINEW, DWORD);
using MixerGetLineControlsFn = MMRESULT(WINAPI*)(HMIXEROBJ, LPMIXERLINECONTROLSW, DWORD);
using MixerGetControlDetailsFn = MMRESULT(WINAPI*)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD);
using MixerSetControlDetailsFn = MMRESULT(WINAPI*)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD);

} // namespace

// The mixer functions of winmm, valid while the library they came from is
// loaded; every open mixer device keeps the table alive.
struct MixerApi {
    UniqueLibrary Library;
    MixerGetNumDevsFn GetNumDevs = nullptr;
    MixerOpenFn Open = nullptr;
    MixerCloseFn Close = nullptr;
    MixerGetLineInfoFn GetLineInfo = nullptr;
    MixerGetLineControlsFn GetLineControls = nullptr;
    MixerGetControlDetailsFn GetControlDetails = nullptr;
    MixerSetControlDetailsFn SetControlDetails = nullptr;
};

namespace {

class Win32MixerDevice : public IMixerDevice {
public:
    Win32MixerDevice(std::shared_ptr<const MixerApi> api, HMIXER mixer)
        : FApi(std::move(api)), FMixer(mixer) {}
    ~Win32MixerDevice() override { FApi->Close(FMixer); }
    Win32MixerDevice(const Win32MixerDevice&) = delete;
    Win32MixerDevice& operator=(const Win32MixerDevice&) = delete;

    std::optional<std::uint32_t> FindLine(std::uint32_t componentType) override {
        MIXERLINEW line{};
        line.cbStruct = sizeof(line);
        line.dwComponentType = componentType;
        if (FApi->GetLineInfo(Object(), &line, MIXER_GETLINEINFOF_COMPONENTTYPE) !=
            MMSYSERR_NOERROR)
            return std::nullopt;
        return line.dwLineID;
    }
    std::optional<std::uint32_t> FindControl(std::uint32_t lineId,
                                             std::uint32_t controlType) override {
        MIXERCONTROLW control{};
        control.cbStruct = sizeof(control);
        MIXERLINECONTROLSW controls{};
        controls.cbStruct = sizeof(controls);
        controls.dwLineID = lineId;
        controls.dwControlType = controlType;
        controls.cControls = 1;
        controls.cbmxctrl = sizeof(control);
        controls.pamxctrl = &control;
        if (FApi->GetLineControls(Object(), &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
            MMSYSERR_NOERROR)
            return std::nullopt;
        return control.dwControlID;
    }
    std::optional<std::uint32_t> GetValue(std::uint32_t controlId) override {
        MIXERCONTROLDETAILS_BOOLEAN value{};
        MIXERCONTROLDETAILS details = Details(controlId, value);
        if (FApi->GetControlDetails(Object(), &details, MIXER_GETCONTROLDETAILSF_VALUE) !=
            MMSYSERR_NOERROR)
            return std::nullopt;
        return static_cast<std::uint32_t>(value.fValue);
    }
    bool SetValue(std::uint32_t controlId, std::uint32_t newValue) override {
        MIXERCONTROLDETAILS_BOOLEAN value{};
        value.fValue = static_cast<LONG>(newValue);
        MIXERCONTROLDETAILS details = Details(controlId, value);
        return FApi->SetControlDetails(Object(), &details, MIXER_SETCONTROLDETAILSF_VALUE) ==
               MMSYSERR_NOERROR;
    }

private:
    HMIXEROBJ Object() const { return reinterpret_cast<HMIXEROBJ>(FMixer); }
    static MIXERCONTROLDETAILS Details(std::uint32_t controlId,
                                       MIXERCONTROLDETAILS_BOOLEAN& value) {
        MIXERCONTROLDETAILS details{};
        details.cbStruct = sizeof(details);
        details.dwControlID = controlId;
        details.cChannels = 1;
        details.cbDetails = sizeof(value);
        details.paDetails = &value;
        return details;
    }
    std::shared_ptr<const MixerApi> FApi;
    HMIXER FMixer;
};

} // namespace

Win32Audio::~Win32Audio() {
    if (FComInitialized)
        ::CoUninitialize();
}

std::unique_ptr<ICaptureEndpoint> Win32Audio::OpenDefaultCaptureEndpoint() {
    // The main thread is a single-threaded apartment; a thread that already is one
    // (S_FALSE) is fine as well, and a failure shows in the steps below.
    if (!FComInitialized)
        FComInitialized = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(::CoCreateInstance(ClsidMMDeviceEnumerator, nullptr, CLSCTX_ALL,
                                  IidIMMDeviceEnumerator, enumerator.PutVoid())) ||
        !enumerator)
        return nullptr;
    ComPtr<IMMDevice> device;
    if (FAILED(enumerator->GetDefaultAudioEndpoint(eCapture, eMultimedia, device.Put())) || !device)
        return nullptr;
    ComPtr<IAudioEndpointVolume> endpoint;
    if (FAILED(
            device->Activate(IidIAudioEndpointVolume, CLSCTX_ALL, nullptr, endpoint.PutVoid())) ||
        !endpoint)
        return nullptr;
    return std::make_unique<Win32CaptureEndpoint>(std::move(enumerator), std::move(device),
                                                  std::move(endpoint));
}

bool Win32Audio::BindMixer() {
    if (FMixer)
        return true;
    auto api = std::make_shared<MixerApi>();
    api->Library = LoadSystemLibrary(L"winmm.dll");
    const HMODULE m = api->Library.Get();
    if (m && BindProc(m, "mixerGetNumDevs", api->GetNumDevs) &&
        BindProc(m, "mixerOpen", api->Open) && BindProc(m, "mixerClose", api->Close) &&
        BindProc(m, "mixerGetLineInfoW", api->GetLineInfo) &&
        BindProc(m, "mixerGetLineControlsW", api->GetLineControls) &&
        BindProc(m, "mixerGetControlDetailsW", api->GetControlDetails) &&
        BindProc(m, "mixerSetControlDetails", api->SetControlDetails))
        FMixer = std::move(api);
    return FMixer != nullptr;
}

std::uint32_t Win32Audio::MixerDeviceCount() {
    return BindMixer() ? FMixer->GetNumDevs() : 0;
}

std::unique_ptr<IMixerDevice> Win32Audio::OpenMixer(std::uint32_t device) {
    if (!BindMixer())
        return nullptr;
    HMIXER mixer = nullptr;
    if (FMixer->Open(&mixer, device, 0, 0, MIXER_OBJECTF_MIXER) != MMSYSERR_NOERROR || !mixer)
        return nullptr;
    return std::make_unique<Win32MixerDevice>(FMixer, mixer);
}

} // namespace zq::win32
