#pragma once
// The effects that the simulator and the Windows run print as
// "t=<ms> <channel> <details>", said in plain words for a reader who does not
// know the mouse's feature reports, the filter driver's records or the window
// messages by heart: "hid-set 020343000100fafa..." is "ask active profile",
// "peer-send 7040 2 0" is "to the configuration program: the mouse switched to
// profile 2". Numbers are those on the wire: profiles and CPI levels count from 0.
// Portable: both tools print the words and the unit tests read them.

#include <cstdint>
#include <optional>
#include <string>

namespace zq::drive {

// The effect in words; nullopt for channels whose details are words already
// (mic, tray, debug, shell, message, ...). Details that cannot be read give a
// short text in parentheses saying so.
std::optional<std::string> EffectInWords(const std::string& channel, const std::string& details);

// The words as the line printed under the effect's line, indented to stand under
// its channel (after "t=<ms> "); nullopt when the effect has no words.
std::optional<std::string> WordsLine(std::uint64_t time, const std::string& channel,
                                     const std::string& details);

} // namespace zq::drive
