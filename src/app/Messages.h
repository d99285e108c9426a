#pragma once
// What passes between the monitor and the configuration program: window classes,
// program names and window messages. The configuration program uses the same
// values; they must not change.

#include "platform/Desktop.h"

#include <cstdint>
#include <optional>

namespace zq {

inline constexpr char16_t MonitorClassName[] = u"TZQMONMAIN"; // also the single-instance mutex
inline constexpr char16_t ConfigClassName[] = u"TZQCFGMAIN";
inline constexpr char16_t ConfigProgramName[] = u"ZQCFG.EXE";
inline constexpr char16_t ApplicationTitle[] = u"GAMING MOUSE MONITOR";
inline constexpr char16_t TrayHint[] = u"GAMING MOUSE DRIVER";

// To the monitor: profiles were saved; apply the current one with the CPI level
// index in lParam.
inline constexpr std::uint32_t MSG_APPLY_PROFILE = 7035;
// To the configuration program, posted: the monitor ends.
inline constexpr std::uint32_t MSG_MONITOR_EXIT = 7036;
// To the monitor: settings were saved; reload them and re-apply the language.
inline constexpr std::uint32_t MSG_RELOAD_SETTINGS = 7037;
// To the configuration program, sent: the mouse switched to profile wParam.
inline constexpr std::uint32_t MSG_DEVICE_PROFILE_CHANGED = 7040;
// To the configuration program, posted: the mouse reported CPI level wParam.
inline constexpr std::uint32_t MSG_DEVICE_CPI_CHANGED = 7042;
// To the configuration program, posted: the mouse's status notice 6, value wParam.
inline constexpr std::uint32_t MSG_DEVICE_NOTICE6 = 7043;
// The monitor to itself, posted: a button or profile event of the mouse.
inline constexpr std::uint32_t MSG_DEVICE_ACTION = 7524;
// The audio system to the monitor, posted: the capture endpoint's mute or
// volume changed (here or anywhere else).
inline constexpr std::uint32_t MSG_MICROPHONE_CHANGED = 7525;
// The audio system to the monitor, posted: another capture device became the
// default one.
inline constexpr std::uint32_t MSG_DEFAULT_MICROPHONE_CHANGED = 7526;

// The system's power notices to every top-level window: the computer resumed
// from sleep (automatically, and again when a user is present).
inline constexpr std::uint32_t WM_POWERBROADCAST_ = 0x0218;
inline constexpr WParam PBT_APMRESUMESUSPEND_ = 0x0007;
inline constexpr WParam PBT_APMRESUMEAUTOMATIC_ = 0x0012;

// How long a message sent to the configuration program may keep the monitor
// waiting. A live program answers at once; a hung one is given up on.
inline constexpr std::uint32_t ConfigSendTimeoutMs = 3000;

// The configuration program's main window, any title; 0 when it is not running.
WindowHandle FindConfigWindow(IDesktop& desktop);
// Posts to the configuration program; nothing happens when it is not running.
void PostToConfigProgram(IDesktop& desktop, std::uint32_t msg, WParam wParam, LParam lParam);
// Sends to the configuration program and waits for its answer, unless it is not
// running or does not answer in time (nullopt).
std::optional<LResult> SendToConfigProgram(IDesktop& desktop, std::uint32_t msg, WParam wParam,
                                           LParam lParam);

} // namespace zq
