#pragma once
// The object the capture endpoint reports its volume and mute changes to. Each
// report is posted to the window that asked for them (the main window, which
// then shows the new state); the window itself is never touched here. The audio
// service calls it on threads of its own and may still be inside OnNotify while
// the endpoint is told to forget it, so the object is reference-counted: it
// goes away at its last release, whoever holds that.

#include "platform/win32/Handles.h"
#include "platform/win32/ReportTarget.h"

#include <endpointvolume.h>

#include <atomic>

namespace zq::win32 {

class TMyEndpointVolumeCallback : public IAudioEndpointVolumeCallback {
public:
    // A new object with one reference, the caller's.
    static ComPtr<TMyEndpointVolumeCallback> Create();
    // How many of these objects exist (for tests of their lifetime).
    static long LiveCount() { return FLive.load(); }

    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA) override;
    // Where the reports go; a null window stops them (any thread).
    void SetTarget(HWND window, UINT msg);

    TMyEndpointVolumeCallback(const TMyEndpointVolumeCallback&) = delete;
    TMyEndpointVolumeCallback& operator=(const TMyEndpointVolumeCallback&) = delete;
    // Public for std::unique_ptr; only Release ends an object's life.
    ~TMyEndpointVolumeCallback();

private:
    TMyEndpointVolumeCallback();

    std::atomic<ULONG> FRefs{1};
    ReportTarget FTarget;
    static inline std::atomic<long> FLive{0};
};

// IID_IAudioEndpointVolumeCallback, spelled out so no import library is needed.
inline constexpr GUID IidIAudioEndpointVolumeCallback = {
    0x657804FA, 0xD6AD, 0x4496, {0x8A, 0x60, 0x35, 0x27, 0x52, 0xAF, 0x4F, 0x89}};

} // namespace zq::win32
