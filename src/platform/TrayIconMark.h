#pragma once
// The mark that tells "microphone muted" on the tray icon: a red slash with a
// white edge from the top-left to the bottom-right corner, drawn over the
// icon's own pixels at run time, so it shows over any icon, a user's own
// logo.ico included.
//
// The mark covers only pixels the icon itself paints fully. A notification
// area may draw the new form of an icon over the old one without clearing it
// first (wine's does); were the mark also drawn where the icon is transparent,
// the slash would stay on the screen after the microphone is turned on again.

#include <cstdint>
#include <span>

namespace zq {

// The slash's colours, 0xAARRGGBB.
inline constexpr std::uint32_t MutedMarkColor = 0xFFE01818;
inline constexpr std::uint32_t MutedMarkEdgeColor = 0xFFFFFFFF;

// Whether the pixel lies on the slash, on its edge, or off it.
enum class MarkPart { None, Slash, Edge };
MarkPart MutedMarkAt(int x, int y, int width, int height);

// Draws the mark over the fully opaque pixels (alpha 0xFF) of 0xAARRGGBB, rows
// top-down; every other pixel keeps its value. A span of another size than
// width x height is left alone.
void DrawMutedMark(std::span<std::uint32_t> pixels, int width, int height);

} // namespace zq
