// The Windows audio backend on a system without any recording device (wine).

#include "platform/win32/Win32Audio.h"

#include <gtest/gtest.h>

namespace zq::win32 {
namespace {

TEST(Win32Audio, NoCaptureDeviceGivesNoEndpointAndNoError) {
    Win32Audio audio;
    EXPECT_EQ(audio.OpenDefaultCaptureEndpoint(), nullptr);
    EXPECT_EQ(audio.OpenDefaultCaptureEndpoint(), nullptr); // and again, as each press tries
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
