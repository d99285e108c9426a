#include "app/AboutScene.h"

namespace zq {

namespace {

constexpr std::uint32_t White = 0xFFFFFF;

// Rectangle1 holds the information texts; their positions are relative to it.
constexpr int PanelX = 43;
constexpr int PanelY = 81;

SceneItem Text(std::string name, int x, int y, int w, int h, std::u16string text, int size,
               bool bold) {
    SceneItem item;
    item.Name = std::move(name);
    item.Kind = SceneItemKind::Label;
    item.X = PanelX + x;
    item.Y = PanelY + y;
    item.Width = w;
    item.Height = h;
    item.Text = std::move(text);
    item.FontSize = size;
    item.Bold = bold;
    item.Color = White;
    return item;
}

} // namespace

Scene BuildAboutScene(const std::u16string& webAddress) {
    Scene scene;
    scene.Width = AboutWidth;
    scene.Height = AboutHeight;
    scene.Background = 0x1E1E24;

    SceneItem ok;
    ok.Name = AboutOkButton;
    ok.Kind = SceneItemKind::Button;
    ok.X = 208;
    ok.Y = 325;
    ok.Width = 94;
    ok.Height = 27;
    ok.Text = u"OK";
    ok.FontName = u"Myriad Pro";
    ok.FontSize = 13;
    ok.Bold = true;
    ok.Align = SceneAlign::Center;
    ok.Color = White;
    scene.Items.push_back(ok);

    scene.Items.push_back(
        Text("Label1", 20, 25, 405, 26, u"Hardware & Software Information:", 16, true));
    scene.Items.push_back(Text("Label2", 25, 51, 400, 30, u"Hardware Core:1.00.00", 13, false));
    scene.Items.push_back(Text("Label3", 25, 81, 400, 30, u"Software Core:1.00.00", 13, false));
    scene.Items.push_back(Text("Label4", 20, 111, 405, 26, u"Software Update Website:", 16, true));
    // The address itself is not translated.
    scene.Items.push_back(Text(AboutWebAddressText, 18, 142, 301, 26, webAddress, 13, false));

    SceneItem web = Text(AboutWebButton, 25, 182, 77, 31, u"", 13, false);
    web.Kind = SceneItemKind::Button;
    scene.Items.push_back(web);
    return scene;
}

} // namespace zq
