#include "platform/TrayIconMark.h"

#include <cmath>

namespace zq {

MarkPart MutedMarkAt(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0 || x < 0 || y < 0 || x >= width || y >= height)
        return MarkPart::None;
    // Distance of the pixel's centre from the diagonal, in pixels; the slash is
    // about an eighth of the icon wide, so it reads at 16 pixels as at 48.
    const double cx = x + 0.5, cy = (y + 0.5) * width / height;
    const double distance = std::abs(cx - cy) / std::sqrt(2.0);
    const double half = width >= 16 ? width / 16.0 : 1.0;
    if (distance <= half)
        return MarkPart::Slash;
    if (distance <= half + 1.0)
        return MarkPart::Edge;
    return MarkPart::None;
}

void DrawMutedMark(std::span<std::uint32_t> pixels, int width, int height) {
    if (width <= 0 || height <= 0 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto& pixel = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                 static_cast<std::size_t>(x)];
            const MarkPart part = MutedMarkAt(x, y, width, height);
            if (part != MarkPart::None && (pixel >> 24) == 0xFF)
                pixel = part == MarkPart::Slash ? MutedMarkColor : MutedMarkEdgeColor;
        }
}

} // namespace zq
