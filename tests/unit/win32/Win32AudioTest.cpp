// The Windows audio backend on the test session's recording device (a
// PulseAudio null source that scripts/wine-session starts for wine), and the
// lifetime of the endpoint's notification callback.

#include "platform/win32/Win32Audio.h"
#include "platform/win32/EndpointVolumeCallback.h"

#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>

namespace zq::win32 {
namespace {

// Why the session has no recording device, for the failure message.
std::string NoEndpointReason() {
    const char* marker = std::getenv("ZQ_CAPTURE_ENDPOINT");
    if (marker == nullptr)
        return "no capture endpoint: run the tests through scripts/wine-session, which starts "
               "a PulseAudio null source for wine";
    if (std::string(marker) == "0")
        return "no capture endpoint: PulseAudio is not installed; run scripts/setup";
    return "no capture endpoint, although the session's PulseAudio server runs";
}

// Counts the endpoint's control-change notifications.
class CountingCallback : public IAudioEndpointVolumeCallback {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
    ULONG STDMETHODCALLTYPE Release() override { return --FRefs; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) ||
            IsEqualIID(iid, __uuidof(IAudioEndpointVolumeCallback))) {
            *object = static_cast<IAudioEndpointVolumeCallback*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE OnNotify(PAUDIO_VOLUME_NOTIFICATION_DATA) override {
        ++FNotifications;
        return S_OK;
    }
    ULONG References() const { return FRefs; }
    int Notifications() const { return FNotifications; }

private:
    std::atomic<ULONG> FRefs{0};
    std::atomic<int> FNotifications{0};
};

// The default capture endpoint's volume control, opened by the test itself.
ComPtr<IAudioEndpointVolume> OpenVolume() {
    ComPtr<IMMDeviceEnumerator> enumerator;
    ComPtr<IMMDevice> device;
    ComPtr<IAudioEndpointVolume> volume;
    if (SUCCEEDED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                     __uuidof(IMMDeviceEnumerator), enumerator.PutVoid())) &&
        SUCCEEDED(enumerator->GetDefaultAudioEndpoint(eCapture, eMultimedia, device.Put())))
        device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr, volume.PutVoid());
    return volume;
}

TEST(Win32Audio, TheDefaultCaptureEndpointOpensAndItsMuteToggles) {
    Win32Audio audio;
    auto endpoint = audio.OpenDefaultCaptureEndpoint();
    ASSERT_NE(endpoint, nullptr) << NoEndpointReason();
    const std::optional<bool> before = endpoint->GetMute();
    ASSERT_TRUE(before.has_value());

    EXPECT_TRUE(endpoint->SetMute(!*before));
    EXPECT_EQ(endpoint->GetMute(), !*before);
    EXPECT_TRUE(endpoint->SetMute(*before));
    EXPECT_EQ(endpoint->GetMute(), *before);

    // Opened again, as each press does while none is open: the same device.
    auto again = audio.OpenDefaultCaptureEndpoint();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->GetMute().has_value());
}

// What wine's endpoint does with the two things the program relies on least:
// the mute belongs to each opened volume control (the program keeps one for
// the whole run, so its toggles stay consistent), and a registered
// control-change callback is accepted but neither kept nor ever called, so the
// program's callback, which does nothing, cannot be reached after it is gone.
TEST(Win32Audio, TheMuteBelongsToTheOpenedControlAndCallbacksAreNeverCalled) {
    Win32Audio audio;
    auto endpoint = audio.OpenDefaultCaptureEndpoint();
    ASSERT_NE(endpoint, nullptr) << NoEndpointReason();
    ComPtr<IAudioEndpointVolume> volume = OpenVolume();
    ASSERT_TRUE(volume);
    CountingCallback callback;
    ASSERT_EQ(volume->RegisterControlChangeNotify(&callback), S_OK);
    EXPECT_EQ(callback.References(), 0u);

    ASSERT_TRUE(endpoint->SetMute(true));
    BOOL muted = TRUE;
    ASSERT_EQ(volume->GetMute(&muted), S_OK);
    EXPECT_FALSE(muted);
    ASSERT_EQ(volume->SetMute(TRUE, nullptr), S_OK);
    ASSERT_TRUE(endpoint->SetMute(false));
    ASSERT_EQ(volume->GetMute(&muted), S_OK);
    EXPECT_TRUE(muted);
    EXPECT_EQ(endpoint->GetMute(), false);
    EXPECT_EQ(callback.Notifications(), 0);

    EXPECT_EQ(volume->UnregisterControlChangeNotify(&callback), S_OK);
    EXPECT_EQ(callback.References(), 0u);
}

TEST(Win32Audio, TheVolumeCallbackLivesUntilItsLastReference) {
    const long before = TMyEndpointVolumeCallback::LiveCount();
    auto callback = TMyEndpointVolumeCallback::Create();
    EXPECT_EQ(TMyEndpointVolumeCallback::LiveCount(), before + 1);
    // The audio service holds a reference while a notification runs on its thread.
    IAudioEndpointVolumeCallback* notifying = nullptr;
    ASSERT_EQ(callback->QueryInterface(IidIAudioEndpointVolumeCallback,
                                       reinterpret_cast<void**>(&notifying)),
              S_OK);
    callback.Reset(); // the endpoint lets go of it meanwhile
    EXPECT_EQ(TMyEndpointVolumeCallback::LiveCount(), before + 1);
    EXPECT_EQ(notifying->OnNotify(nullptr), S_OK);
    EXPECT_EQ(notifying->Release(), 0u);
    EXPECT_EQ(TMyEndpointVolumeCallback::LiveCount(), before);
}

TEST(Win32Audio, LegacyMixerIsBoundFromTheSystemFolder) {
    Win32Audio audio;
    const std::uint32_t count = audio.MixerDeviceCount();
    if (count == 0) {
        EXPECT_EQ(audio.OpenMixer(0), nullptr);
        return;
    }
    auto mixer = audio.OpenMixer(0);
    ASSERT_NE(mixer, nullptr);
    EXPECT_EQ(mixer->FindLine(0xFFFFFFFF), std::nullopt);
}

} // namespace
} // namespace zq::win32
