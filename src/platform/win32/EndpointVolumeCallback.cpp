#include "platform/win32/EndpointVolumeCallback.h"

#include <memory>

namespace zq::win32 {

TMyEndpointVolumeCallback::TMyEndpointVolumeCallback() {
    ++FLive;
}

TMyEndpointVolumeCallback::~TMyEndpointVolumeCallback() {
    --FLive;
}

ComPtr<TMyEndpointVolumeCallback> TMyEndpointVolumeCallback::Create() {
    ComPtr<TMyEndpointVolumeCallback> callback;
    // The new object's one reference goes to the pointer.
    *callback.Put() =
        std::unique_ptr<TMyEndpointVolumeCallback>(new TMyEndpointVolumeCallback()).release();
    return callback;
}

ULONG STDMETHODCALLTYPE TMyEndpointVolumeCallback::AddRef() {
    return ++FRefs;
}

ULONG STDMETHODCALLTYPE TMyEndpointVolumeCallback::Release() {
    const ULONG left = --FRefs;
    // The last reference owns the object: it goes away with this owner.
    if (left == 0)
        std::unique_ptr<TMyEndpointVolumeCallback> last(this);
    return left;
}

HRESULT STDMETHODCALLTYPE TMyEndpointVolumeCallback::OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA) {
    // A window already gone just drops the message.
    FTarget.Post();
    return S_OK;
}

void TMyEndpointVolumeCallback::SetTarget(HWND window, UINT msg) {
    FTarget.Set(window, msg);
}

HRESULT STDMETHODCALLTYPE TMyEndpointVolumeCallback::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IidIAudioEndpointVolumeCallback)) {
        *object = static_cast<IAudioEndpointVolumeCallback*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

} // namespace zq::win32
