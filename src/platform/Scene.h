#pragma once
// A window's drawn content described as data: positioned texts, buttons and
// images. The About window is one such scene; each platform draws it its own way.

#include <cstdint>
#include <string>
#include <vector>

namespace zq {

enum class SceneItemKind { Label, Button, Image };
enum class SceneAlign { Left, Center };

struct SceneItem {
    std::string Name; // the element's name, reported on a click
    SceneItemKind Kind = SceneItemKind::Label;
    int X = 0, Y = 0, Width = 0, Height = 0; // window pixels
    std::u16string Text;
    std::u16string FontName = u"Tahoma";
    int FontSize = 11;
    bool Bold = false;
    SceneAlign Align = SceneAlign::Left;
    std::uint32_t Color = 0x000000; // 0xRRGGBB
};

struct Scene {
    int Width = 0, Height = 0;
    std::uint32_t Background = 0x202020; // 0xRRGGBB, drawn where no image covers
    std::vector<SceneItem> Items;
};

} // namespace zq
