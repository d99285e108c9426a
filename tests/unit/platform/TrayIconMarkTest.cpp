// The muted mark on icons of the sizes a notification area uses, over an icon
// that is transparent around its shape as most icons are.
#include "platform/TrayIconMark.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace zq::test {
namespace {

constexpr std::uint32_t Body = 0xFF404850;
constexpr std::uint32_t Clear = 0x00000000;
constexpr std::uint32_t HalfClear = 0x80404850; // an anti-aliased edge

// An icon of size x size: an opaque disc in the middle, transparent around it,
// with half-transparent pixels on the disc's rim.
std::vector<std::uint32_t> RoundIcon(int size) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size * size), Clear);
    const double centre = size / 2.0, radius = size * 0.4;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = x + 0.5 - centre, dy = y + 0.5 - centre;
            const double distance = std::sqrt(dx * dx + dy * dy);
            if (distance <= radius)
                pixels[static_cast<std::size_t>(y * size + x)] = Body;
            else if (distance <= radius + 1)
                pixels[static_cast<std::size_t>(y * size + x)] = HalfClear;
        }
    return pixels;
}

TEST(TrayIconMark, TheSlashCrossesTheIconWhereItIsOpaqueAndLeavesEveryOtherPixel) {
    for (int size : {16, 32, 48}) {
        SCOPED_TRACE(size);
        const auto before = RoundIcon(size);
        auto after = before;
        DrawMutedMark(after, size, size);

        int slash = 0, edge = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const auto old = before[static_cast<std::size_t>(y * size + x)];
                const auto now = after[static_cast<std::size_t>(y * size + x)];
                const MarkPart part = MutedMarkAt(x, y, size, size);
                if (old != Body || part == MarkPart::None) {
                    // A form change repaints only what the icon itself paints.
                    EXPECT_EQ(now, old) << x << "," << y;
                    continue;
                }
                EXPECT_EQ(now, part == MarkPart::Slash ? MutedMarkColor : MutedMarkEdgeColor);
                (part == MarkPart::Slash ? slash : edge)++;
            }
        // The slash runs through the middle from the top-left towards the
        // bottom-right, about an eighth of the icon wide, with its white edge.
        EXPECT_EQ(after[static_cast<std::size_t>(size / 2 * size + size / 2)], MutedMarkColor);
        EXPECT_GE(slash, size * 0.8 * std::max(2, size / 8) / 2);
        EXPECT_GT(edge, 0);
        EXPECT_EQ(MutedMarkAt(size - 1, 0, size, size), MarkPart::None);
        EXPECT_EQ(MutedMarkAt(0, size - 1, size, size), MarkPart::None);
    }
}

TEST(TrayIconMark, PixelsOfAnotherSizeThanTheIconsAreLeftAlone) {
    std::vector<std::uint32_t> pixels(16 * 15, Body);
    DrawMutedMark(pixels, 16, 16);
    EXPECT_EQ(pixels, std::vector<std::uint32_t>(16 * 15, Body));
    DrawMutedMark(pixels, 0, 0);
    EXPECT_EQ(MutedMarkAt(-1, 0, 16, 16), MarkPart::None);
    EXPECT_EQ(MutedMarkAt(16, 16, 16, 16), MarkPart::None);
}

} // namespace
} // namespace zq::test
