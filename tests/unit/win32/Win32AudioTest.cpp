// The Windows audio backend on a system without any recording device (wine), and
// the lifetime of the endpoint's notification callback.

#include "platform/win32/Win32Audio.h"
#include "platform/win32/EndpointVolumeCallback.h"

#include <gtest/gtest.h>

namespace zq::win32 {
namespace {

TEST(Win32Audio, NoCaptureDeviceGivesNoEndpointAndNoError) {
    Win32Audio audio;
    EXPECT_EQ(audio.OpenDefaultCaptureEndpoint(), nullptr);
    EXPECT_EQ(audio.OpenDefaultCaptureEndpoint(), nullptr); // and again, as each press tries
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
