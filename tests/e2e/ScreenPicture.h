#pragma once
// A picture of part of the screen as a person sees it: the pixels the display
// shows there, read back from the screen, and kept as a BMP file for people to
// look at.

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace zq::e2e {

struct ScreenPicture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels; // 0x00RRGGBB, rows top-down

    // The screen's pixels in area (screen coordinates); nothing when the
    // screen cannot be read.
    static std::optional<ScreenPicture> Take(const RECT& area);

    std::uint32_t At(int x, int y) const {
        return Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
                      static_cast<std::size_t>(x)];
    }
    // A 24-bit BMP file; false when it could not be written.
    bool Save(const std::filesystem::path& file) const;

    bool operator==(const ScreenPicture&) const = default;
};

} // namespace zq::e2e
