#include "ScreenPicture.h"

#include "platform/win32/Handles.h"

#include <fstream>

namespace zq::e2e {

namespace {

template <typename T> void Put(std::ofstream& out, T value) {
    for (std::size_t i = 0; i < sizeof(T); ++i)
        out.put(static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF));
}

} // namespace

std::optional<ScreenPicture> ScreenPicture::Take(const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return std::nullopt;
    const win32::UniqueScreenDc screen(::GetDC(nullptr));
    const win32::UniqueMemoryDc memory(::CreateCompatibleDC(screen.Get()));
    if (!screen || !memory)
        return std::nullopt;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const win32::UniqueBitmap bitmap(
        ::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        return std::nullopt;
    const HGDIOBJ previous = ::SelectObject(memory.Get(), bitmap.Get());
    const bool copied = ::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), area.left,
                                 area.top, SRCCOPY | CAPTUREBLT) != FALSE;
    ::GdiFlush();
    ::SelectObject(memory.Get(), previous);
    if (!copied)
        return std::nullopt;
    ScreenPicture picture;
    picture.Width = width;
    picture.Height = height;
    const auto* first = static_cast<const std::uint32_t*>(bits);
    picture.Pixels.assign(first, first + static_cast<std::size_t>(width) * height);
    for (auto& pixel : picture.Pixels)
        pixel &= 0xFFFFFF;
    return picture;
}

bool ScreenPicture::Save(const std::filesystem::path& file) const {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(Width) * 3 + 3) & ~3u;
    const std::uint32_t dataBytes = rowBytes * static_cast<std::uint32_t>(Height);
    out.put('B');
    out.put('M');
    Put<std::uint32_t>(out, 54 + dataBytes);
    Put<std::uint32_t>(out, 0);
    Put<std::uint32_t>(out, 54); // pixels follow the two headers
    Put<std::uint32_t>(out, 40);
    Put<std::int32_t>(out, Width);
    Put<std::int32_t>(out, Height); // rows bottom-up
    Put<std::uint16_t>(out, 1);
    Put<std::uint16_t>(out, 24);
    Put<std::uint32_t>(out, 0);
    Put<std::uint32_t>(out, dataBytes);
    Put<std::int32_t>(out, 2835); // 72 dpi
    Put<std::int32_t>(out, 2835);
    Put<std::uint32_t>(out, 0);
    Put<std::uint32_t>(out, 0);
    for (int y = Height - 1; y >= 0; --y) {
        std::uint32_t written = 0;
        for (int x = 0; x < Width; ++x, written += 3) {
            const std::uint32_t pixel = At(x, y);
            out.put(static_cast<char>(pixel & 0xFF));
            out.put(static_cast<char>((pixel >> 8) & 0xFF));
            out.put(static_cast<char>((pixel >> 16) & 0xFF));
        }
        for (; written < rowBytes; ++written)
            out.put('\0');
    }
    return static_cast<bool>(out.flush());
}

} // namespace zq::e2e
