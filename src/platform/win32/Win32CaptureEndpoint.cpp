#include "platform/win32/Win32CaptureEndpoint.h"

namespace zq::win32 {

Win32CaptureEndpoint::Win32CaptureEndpoint(ComPtr<IMMDeviceEnumerator> enumerator,
                                           ComPtr<IMMDevice> device,
                                           ComPtr<IAudioEndpointVolume> endpoint)
    : FMMDevEnum(std::move(enumerator)), FMMDev(std::move(device)),
      FCallback(TMyEndpointVolumeCallback::Create()) {
    Register(std::move(endpoint));
}

Win32CaptureEndpoint::~Win32CaptureEndpoint() {
    Unregister();
    // A report already under way on the service's thread posts nothing any more.
    if (FCallback)
        FCallback->SetTarget(nullptr, 0);
}

std::optional<bool> Win32CaptureEndpoint::GetMute() {
    BOOL muted = FALSE;
    if (!FEndpoint || FAILED(FEndpoint->GetMute(&muted)))
        return std::nullopt;
    return muted != FALSE;
}

bool Win32CaptureEndpoint::SetMute(bool muted) {
    return FEndpoint && SUCCEEDED(FEndpoint->SetMute(muted ? TRUE : FALSE, nullptr));
}

bool Win32CaptureEndpoint::Reactivate() {
    ComPtr<IAudioEndpointVolume> endpoint;
    if (FAILED(
            FMMDev->Activate(IidIAudioEndpointVolume, CLSCTX_ALL, nullptr, endpoint.PutVoid())) ||
        !endpoint)
        return false;
    Unregister();
    Register(std::move(endpoint));
    return true;
}

void Win32CaptureEndpoint::NotifyChanges(WindowHandle window, std::uint32_t msg) {
    if (FCallback)
        FCallback->SetTarget(reinterpret_cast<HWND>(window), msg);
}

void Win32CaptureEndpoint::Register(ComPtr<IAudioEndpointVolume> endpoint) {
    FEndpoint = std::move(endpoint);
    // The endpoint keeps its own reference to the callback while registered.
    FRegistered = FCallback && SUCCEEDED(FEndpoint->RegisterControlChangeNotify(FCallback.Get()));
}

void Win32CaptureEndpoint::Unregister() {
    // A notification under way keeps the callback alive through its reference;
    // ours goes with this object.
    if (FRegistered)
        FEndpoint->UnregisterControlChangeNotify(FCallback.Get());
    FRegistered = false;
    FEndpoint.Reset();
}

} // namespace zq::win32
