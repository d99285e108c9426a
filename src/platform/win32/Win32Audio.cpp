#include "platform/win32/Win32Audio.h"

#include "platform/win32/ReportTarget.h"
#include "platform/win32/Win32CaptureEndpoint.h"

#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>
#include <objbase.h>

#include <atomic>

namespace zq::win32 {

namespace {

// The interface identifiers, spelled out so no import library is needed.
constexpr GUID ClsidMMDeviceEnumerator = {
    0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
constexpr GUID IidIMMDeviceEnumerator = {
    0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
constexpr GUID IidIMMNotificationClient = {
    0x7991EEC9, 0x7E89, 0x4D85, {0x83, 0x90, 0x6C, 0x70, 0x3C, 0xEC, 0x60, 0xC0}};

// Told of device changes by the audio service on its own threads; posts a
// change of the default capture device for the multimedia role to the window
// that asked, and touches nothing else. Reference-counted like the volume
// callback, for the same reason.
class DefaultDeviceClient : public IMMNotificationClient {
public:
    static ComPtr<DefaultDeviceClient> Create(HWND window, UINT msg) {
        ComPtr<DefaultDeviceClient> client;
        *client.Put() =
            std::unique_ptr<DefaultDeviceClient>(new DefaultDeviceClient(window, msg)).release();
        return client;
    }
    DefaultDeviceClient(const DefaultDeviceClient&) = delete;
    DefaultDeviceClient& operator=(const DefaultDeviceClient&) = delete;
    ~DefaultDeviceClient() = default;

    void Stop() { FTarget.Set(nullptr, 0); }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --FRefs;
        if (left == 0)
            std::unique_ptr<DefaultDeviceClient> last(this);
        return left;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IidIMMNotificationClient)) {
            *object = static_cast<IMMNotificationClient*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override {
        if (flow == eCapture && role == eMultimedia)
            FTarget.Post();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override {
        return S_OK;
    }

private:
    DefaultDeviceClient(HWND window, UINT msg) { FTarget.Set(window, msg); }
    std::atomic<ULONG> FRefs{1};
    ReportTarget FTarget;
};

// The registration of a DefaultDeviceClient, ended when dropped.
class DefaultDeviceWatch : public IAudioWatch {
public:
    DefaultDeviceWatch(ComPtr<IMMDeviceEnumerator> enumerator, ComPtr<DefaultDeviceClient> client)
        : FEnumerator(std::move(enumerator)), FClient(std::move(client)) {}
    ~DefaultDeviceWatch() override {
        FEnumerator->UnregisterEndpointNotificationCallback(FClient.Get());
        // A report under way on the service's thread posts nothing any more.
        FClient->Stop();
    }
    DefaultDeviceWatch(const DefaultDeviceWatch&) = delete;
    DefaultDeviceWatch& operator=(const DefaultDeviceWatch&) = delete;

private:
    ComPtr<IMMDeviceEnumerator> FEnumerator;
    ComPtr<DefaultDeviceClient> FClient;
};

ComPtr<IMMDeviceEnumerator> CreateEnumerator() {
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(::CoCreateInstance(ClsidMMDeviceEnumerator, nullptr, CLSCTX_ALL,
                                  IidIMMDeviceEnumerator, enumerator.PutVoid())))
        enumerator.Reset();
    return enumerator;
}

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
    InitializeCom();
    ComPtr<IMMDeviceEnumerator> enumerator = CreateEnumerator();
    if (!enumerator)
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

void Win32Audio::InitializeCom() {
    // The main thread is a single-threaded apartment; a thread that already is one
    // (S_FALSE) is fine as well, and a failure shows in the steps that follow.
    if (!FComInitialized)
        FComInitialized = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

std::unique_ptr<IAudioWatch> Win32Audio::WatchDefaultCaptureDevice(WindowHandle window,
                                                                   std::uint32_t msg) {
    InitializeCom();
    ComPtr<IMMDeviceEnumerator> enumerator = CreateEnumerator();
    if (!enumerator)
        return nullptr;
    auto client = DefaultDeviceClient::Create(reinterpret_cast<HWND>(window), msg);
    if (FAILED(enumerator->RegisterEndpointNotificationCallback(client.Get())))
        return nullptr;
    return std::make_unique<DefaultDeviceWatch>(std::move(enumerator), std::move(client));
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
