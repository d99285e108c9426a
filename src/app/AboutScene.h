#pragma once
// The About window's content: the main window's client area, 504 by 400 pixels,
// with the hardware and software information and the update web site.

#include "platform/Scene.h"

#include <string>

namespace zq {

inline constexpr int AboutWidth = 504;
inline constexpr int AboutHeight = 400;

// Names of the elements that act on a click.
inline constexpr char AboutOkButton[] = "BtnOK";
inline constexpr char AboutWebButton[] = "BtnGoWeb";
// The element showing the web address, which is data and not translated.
inline constexpr char AboutWebAddressText[] = "TextWeb";

// The texts are the source texts; the scene is translated where it is shown.
Scene BuildAboutScene(const std::u16string& webAddress);

} // namespace zq
