// The tray icon's clicks as the shell reports them, under wine.

#include "platform/win32/Win32TrayIcon.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace zq::win32 {
namespace {

TEST(Win32TrayIcon, ADoubleClickIsOneClick) {
    Win32TrayIcon tray;
    int clicks = 0;
    tray.OnClick = [&] { ++clicks; };
    const HWND window = ::FindWindowW(TrayWindowClassName, nullptr);
    ASSERT_NE(window, nullptr);
    const auto mouse = [&](UINT message) {
        ::SendMessageW(window, TrayCallbackMessage, 1, static_cast<LPARAM>(message));
    };
    // What the shell reports for a double click on the icon.
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        mouse(message);
    EXPECT_EQ(clicks, 1);
    mouse(WM_LBUTTONDOWN);
    mouse(WM_LBUTTONUP);
    EXPECT_EQ(clicks, 2);
}

} // namespace
} // namespace zq::win32
