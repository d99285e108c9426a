#include "keycodes/HidCodeLists.h"

#include "keycodes/KeyboardInfo.h"

#include <cstring>

namespace zq {

namespace {

std::vector<THID_CODE_INFO> GEditHotKeyCodes;
std::vector<THID_CODE_INFO> GSystemHotKeyCodes;
std::vector<THID_CODE_INFO> GMultimediaKeyCodes;
std::vector<THID_CODE_INFO> GInternetKeyCodes;
std::vector<TCOMBOKEYINFO> GEditComboKeys;
std::vector<TCOMBOKEYINFO> GSystemComboKeys;
std::vector<TCOMBOKEYINFO> GMultimediaComboKeys;
std::vector<TCOMBOKEYINFO> GBrowserComboKeys;

// Virtual keys of the lists.
constexpr std::int32_t VK_TAB_ = 9, VK_F4_ = 115, VK_ADD_ = 107, VK_SUBTRACT_ = 109;
constexpr std::int32_t VK_A_ = 65, VK_C_ = 67, VK_D_ = 68, VK_E_ = 69, VK_F_ = 70, VK_L_ = 76,
                       VK_N_ = 78, VK_P_ = 80, VK_R_ = 82, VK_S_ = 83, VK_V_ = 86, VK_W_ = 87,
                       VK_X_ = 88;
constexpr std::int32_t VK_BROWSER_BACK_ = 166, VK_BROWSER_FORWARD_ = 167, VK_BROWSER_REFRESH_ = 168,
                       VK_BROWSER_STOP_ = 169, VK_BROWSER_SEARCH_ = 170,
                       VK_BROWSER_FAVORITES_ = 171, VK_BROWSER_HOME_ = 172, VK_VOLUME_MUTE_ = 173,
                       VK_VOLUME_DOWN_ = 174, VK_VOLUME_UP_ = 175, VK_MEDIA_NEXT_TRACK_ = 176,
                       VK_MEDIA_PREV_TRACK_ = 177, VK_MEDIA_STOP_ = 178, VK_MEDIA_PLAY_PAUSE_ = 179,
                       VK_LAUNCH_MAIL_ = 180, VK_LAUNCH_MEDIA_SELECT_ = 181;

// The editing keys of both families: Cut, Copy, Paste, Select all, Find, New, Print, Save.
constexpr std::int32_t EditKeys[] = {VK_X_, VK_C_, VK_V_, VK_A_, VK_F_, VK_N_, VK_P_, VK_S_};
// Media keys: Play/Pause, Stop, Previous, Next, Volume up, Volume down, Mute, Media select.
constexpr std::int32_t MediaKeys[] = {
    VK_MEDIA_PLAY_PAUSE_, VK_MEDIA_STOP_,  VK_MEDIA_PREV_TRACK_, VK_MEDIA_NEXT_TRACK_,
    VK_VOLUME_UP_,        VK_VOLUME_DOWN_, VK_VOLUME_MUTE_,      VK_LAUNCH_MEDIA_SELECT_};
// Browser keys: Home, Back, Forward, Stop, Refresh, Search, Favorites, Mail.
constexpr std::int32_t InternetKeys[] = {
    VK_BROWSER_HOME_,    VK_BROWSER_BACK_,   VK_BROWSER_FORWARD_,   VK_BROWSER_STOP_,
    VK_BROWSER_REFRESH_, VK_BROWSER_SEARCH_, VK_BROWSER_FAVORITES_, VK_LAUNCH_MAIL_};
// The system lists: modifier and key of Switch window, Close window, then
// Explorer, Run, Desktop and Lock.
struct ModifiedKey {
    std::int32_t HidModifier;
    std::int32_t ComboModifier;
    std::int32_t Key;
};
constexpr ModifiedKey SystemKeys[] = {
    {HID_LEFT_ALT, MOD_ALT_, VK_TAB_}, {HID_LEFT_ALT, MOD_ALT_, VK_F4_},
    {HID_LEFT_GUI, MOD_WIN_, VK_E_},   {HID_LEFT_GUI, MOD_WIN_, VK_R_},
    {HID_LEFT_GUI, MOD_WIN_, VK_D_},   {HID_LEFT_GUI, MOD_WIN_, VK_L_}};
// Browser tab and zoom commands: Close tab, Zoom in, Zoom out, Previous tab, Next tab.
constexpr std::pair<std::int32_t, std::int32_t> BrowserCombos[] = {
    {MOD_CONTROL_, VK_W_},
    {MOD_CONTROL_, VK_ADD_},
    {MOD_CONTROL_, VK_SUBTRACT_},
    {MOD_CONTROL_ | MOD_SHIFT_, VK_TAB_},
    {MOD_CONTROL_, VK_TAB_}};

std::uint16_t UsageOf(std::int32_t vkCode, std::int32_t extended) {
    const std::uint32_t usage = VKCodeToHIDCode(vkCode, extended);
    return usage == 0xFFFF ? 0 : static_cast<std::uint16_t>(usage);
}

template <typename Row> void CopyRow(const std::vector<Row>& list, std::int32_t index, Row& info) {
    if (index < 0 || index >= static_cast<std::int32_t>(list.size()))
        return;
    info = list[static_cast<std::size_t>(index)];
}

} // namespace

THID_CODE_INFO MakeHIDCodeInfo(std::int32_t Modifier, std::int32_t VKCode1, std::int32_t Extended1,
                               std::int32_t VKCode2, std::int32_t Extended2) {
    THID_CODE_INFO info{};
    info.nModifier = static_cast<std::uint16_t>(Modifier);
    info.nKeyValue1 = UsageOf(VKCode1, Extended1);
    info.nKeyValue2 = UsageOf(VKCode2, Extended2);
    return info;
}

TCOMBOKEYINFO MakeComboKeyInfo(std::int32_t Modifier, std::int32_t VKCode1, std::int32_t Extended1,
                               std::int32_t VKCode2, std::int32_t Extended2) {
    TCOMBOKEYINFO info;
    std::memset(&info, 0, sizeof(info));
    info.nModifier = static_cast<std::uint16_t>(Modifier);
    info.nKeyValue1 = static_cast<std::uint16_t>(VKCode1);
    info.nKey1Extended = static_cast<std::uint16_t>(Extended1);
    info.nKeyValue2 = static_cast<std::uint16_t>(VKCode2);
    info.nKey2Extended = static_cast<std::uint16_t>(Extended2);
    return info;
}

void BuildHIDCodeLists() {
    if (!GEditHotKeyCodes.empty())
        return;
    GEditHotKeyCodes.assign(KeyListRows, THID_CODE_INFO{});
    GSystemHotKeyCodes.assign(KeyListRows, THID_CODE_INFO{});
    GMultimediaKeyCodes.assign(KeyListRows, THID_CODE_INFO{});
    GInternetKeyCodes.assign(KeyListRows, THID_CODE_INFO{});

    std::size_t row = 0;
    for (const std::int32_t key : EditKeys)
        GEditHotKeyCodes[row++] = MakeHIDCodeInfo(HID_LEFT_CONTROL, key, 0, 0, 0);
    row = 0;
    for (const ModifiedKey& key : SystemKeys)
        GSystemHotKeyCodes[row++] = MakeHIDCodeInfo(key.HidModifier, key.Key, 0, 0, 0);
    row = 0;
    for (const std::int32_t key : MediaKeys)
        GMultimediaKeyCodes[row++] = MakeHIDCodeInfo(0, key, 1, 0, 0);
    row = 0;
    for (const std::int32_t key : InternetKeys)
        GInternetKeyCodes[row++] = MakeHIDCodeInfo(0, key, 1, 0, 0);
}

void BuildComboKeyLists() {
    if (!GEditComboKeys.empty())
        return;
    const TCOMBOKEYINFO zero = MakeComboKeyInfo(0, 0, 0, 0, 0);
    GEditComboKeys.assign(KeyListRows, zero);
    GSystemComboKeys.assign(KeyListRows, zero);
    GMultimediaComboKeys.assign(KeyListRows, zero);
    GBrowserComboKeys.assign(KeyListRows, zero);

    std::size_t row = 0;
    for (const std::int32_t key : EditKeys)
        GEditComboKeys[row++] = MakeComboKeyInfo(MOD_CONTROL_, key, 0, 0, 0);
    row = 0;
    for (const ModifiedKey& key : SystemKeys)
        GSystemComboKeys[row++] = MakeComboKeyInfo(key.ComboModifier, key.Key, 0, 0, 0);
    row = 0;
    for (const std::int32_t key : MediaKeys)
        GMultimediaComboKeys[row++] = MakeComboKeyInfo(0, key, 1, 0, 0);
    row = 0;
    for (const auto& [modifier, key] : BrowserCombos)
        GBrowserComboKeys[row++] = MakeComboKeyInfo(modifier, key, 0, 0, 0);
}

const std::vector<THID_CODE_INFO>& EditHotKeyCodes() {
    return GEditHotKeyCodes;
}
const std::vector<THID_CODE_INFO>& SystemHotKeyCodes() {
    return GSystemHotKeyCodes;
}
const std::vector<THID_CODE_INFO>& MultimediaKeyCodes() {
    return GMultimediaKeyCodes;
}
const std::vector<THID_CODE_INFO>& InternetKeyCodes() {
    return GInternetKeyCodes;
}
const std::vector<TCOMBOKEYINFO>& EditComboKeys() {
    return GEditComboKeys;
}
const std::vector<TCOMBOKEYINFO>& SystemComboKeys() {
    return GSystemComboKeys;
}
const std::vector<TCOMBOKEYINFO>& MultimediaComboKeys() {
    return GMultimediaComboKeys;
}
const std::vector<TCOMBOKEYINFO>& BrowserComboKeys() {
    return GBrowserComboKeys;
}

void GetMultimediaKeyCode(std::int32_t Index, THID_CODE_INFO& Info) {
    BuildHIDCodeLists();
    CopyRow(GMultimediaKeyCodes, Index, Info);
}

void GetInternetKeyCode(std::int32_t Index, THID_CODE_INFO& Info) {
    BuildHIDCodeLists();
    CopyRow(GInternetKeyCodes, Index, Info);
}

void GetSystemComboKey(std::int32_t Index, TCOMBOKEYINFO& Info) {
    BuildComboKeyLists();
    CopyRow(GSystemComboKeys, Index, Info);
}

void GetBrowserComboKey(std::int32_t Index, TCOMBOKEYINFO& Info) {
    BuildComboKeyLists();
    CopyRow(GBrowserComboKeys, Index, Info);
}

} // namespace zq
