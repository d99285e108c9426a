#include "profiles/FactoryDefaults.h"

#include "keycodes/HidCodeLists.h"
#include "platform/Text.h"

namespace zq {

const std::array<TFunctionDefinition, FunctionTableRows> FunctionTable{{
    {0, 1, 1},      {1, 2, 2},      {2, 3, 3},      {3, 5, 4},      {4, 4, 5},      {5, 16, 6},
    {6, 15, 7},     {7, 15, 801},   {8, 15, 802},   {9, 15, 803},   {10, 15, 804},  {11, 15, 805},
    {12, 15, 806},  {13, 15, 807},  {14, 15, 808},  {15, 15, 901},  {16, 15, 902},  {17, 15, 903},
    {18, 15, 904},  {19, 15, 905},  {20, 15, 906},  {21, 14, 907},  {22, 14, 908},  {23, 14, 909},
    {24, 14, 910},  {25, 14, 911},  {26, 14, 912},  {27, 14, 913},  {28, 14, 914},  {29, 14, 1001},
    {30, 14, 1002}, {31, 14, 1003}, {32, 14, 1004}, {33, 14, 1005}, {34, 14, 1006}, {35, 14, 1007},
    {36, 14, 1008}, {37, 17, 11},   {38, 25, 12},   {39, 8, 13},    {40, 8, 1301},  {41, 10, 1302},
    {42, 9, 1303},  {43, 13, 14},   {44, 8, 15},    {45, 23, 1501}, {46, 24, 1502}, {47, 14, 16},
}};

namespace {

// Virtual keys bound by the defaults.
constexpr std::uint16_t VK_LEFT_ = 37, VK_RIGHT_ = 39, VK_LSHIFT_ = 160, VK_LCONTROL_ = 162,
                        VK_LMENU_ = 164;

// The common fields of a bound button: its index, type, code, and the group and
// identifier the function table gives for the code.
void SetFunction(TBUTTONFUNCINFO& entry, int index, std::uint8_t type, std::uint16_t code) {
    const TFunctionDefinition& function = FunctionTable[code];
    entry.ButtonIndex = static_cast<std::uint16_t>(index);
    entry.FunctionType = type;
    entry.FunctionCode = code;
    entry.FunctionGroup = function.FunctionGroup;
    entry.FunctionId = function.FunctionId;
}

void ClearPayload(TBUTTONFUNCINFO& entry) {
    std::memset(reinterpret_cast<unsigned char*>(&entry), 0, ButtonPayloadSize);
}

// A consumer-page usage, split into the low and high byte words.
void SetConsumerKey(TBUTTONFUNCINFO& entry, const THID_CODE_INFO& key) {
    entry.nHIDCodeLow = key.nKeyValue1 & 0xFF;
    entry.nHIDCodeHigh = key.nKeyValue1 >> 8;
}

void SetSingleKey(TBUTTONFUNCINFO& entry, std::uint16_t vkCode, std::uint16_t extended,
                  std::u16string_view text) {
    entry.KeyInfo.nKeyValue = vkCode;
    entry.KeyInfo.nKeyExtended = extended;
    entry.KeyInfo.KeyText.Set(text);
}

void SetComboKey(TBUTTONFUNCINFO& entry, const TCOMBOKEYINFO& combo, std::u16string_view text) {
    entry.ComboKeyInfo = combo;
    if (!text.empty())
        entry.ComboKeyInfo.ComboKeyText.Set(text);
}

THID_CODE_INFO MultimediaKey(int row) {
    THID_CODE_INFO key{};
    GetMultimediaKeyCode(row, key);
    return key;
}

THID_CODE_INFO InternetKey(int row) {
    THID_CODE_INFO key{};
    GetInternetKeyCode(row, key);
    return key;
}

TCOMBOKEYINFO SystemCombo(int row) {
    TCOMBOKEYINFO combo = MakeComboKeyInfo(0, 0, 0, 0, 0);
    GetSystemComboKey(row, combo);
    return combo;
}

TCOMBOKEYINFO BrowserCombo(int row) {
    TCOMBOKEYINFO combo = MakeComboKeyInfo(0, 0, 0, 0, 0);
    GetBrowserComboKey(row, combo);
    return combo;
}

// Alt+F4 and Windows+D on buttons 11 and 12 of games 1 and 2.
void SetWindowButtons(TBUTTONFUNCINFO (&buttons)[ButtonFuncCount]) {
    SetFunction(buttons[11], 11, FunctionTypeComboKey, 16);
    SetComboKey(buttons[11], SystemCombo(1), u"");
    SetFunction(buttons[12], 12, FunctionTypeComboKey, 19);
    SetComboKey(buttons[12], SystemCombo(4), u"");
}

void SetGame1Buttons(TBUTTONFUNCINFO (&buttons)[ButtonFuncCount]) {
    // Button, function code, row of the media list: mute, volume up, volume down,
    // then next track, previous track, play/pause.
    constexpr struct {
        int Button;
        std::uint16_t Code;
        int Row;
    } media[] = {{3, 35, 6}, {4, 33, 4}, {5, 34, 5}, {8, 32, 3}, {9, 31, 2}, {10, 29, 0}};
    for (const auto& m : media) {
        SetFunction(buttons[m.Button], m.Button, FunctionTypeConsumerKey, m.Code);
        SetConsumerKey(buttons[m.Button], MultimediaKey(m.Row));
    }
    SetFunction(buttons[6], 6, FunctionTypeSingleKey, 5);
    SetSingleKey(buttons[6], VK_RIGHT_, 1, u"FAST FORWARD");
    SetFunction(buttons[7], 7, FunctionTypeSingleKey, 5);
    SetSingleKey(buttons[7], VK_LEFT_, 1, u"REWIND");
    SetWindowButtons(buttons);
}

void SetGame2Buttons(TBUTTONFUNCINFO (&buttons)[ButtonFuncCount]) {
    constexpr std::u16string_view tabTexts[] = {u"CLOSE TAB", u"ZOOM IN", u"ZOOM OUT",
                                                u"PREVIOUS TAB", u"NEXT TAB"};
    for (int row = 0; row < 5; ++row) {
        const int button = 3 + row;
        SetFunction(buttons[button], button, FunctionTypeComboKey, 6);
        SetComboKey(buttons[button], BrowserCombo(row), tabTexts[row]);
    }
    // Browser forward, back and refresh.
    constexpr struct {
        int Button;
        std::uint16_t Code;
        int Row;
    } browser[] = {{8, 23, 2}, {9, 22, 1}, {10, 25, 4}};
    for (const auto& b : browser) {
        SetFunction(buttons[b.Button], b.Button, FunctionTypeConsumerKey, b.Code);
        SetConsumerKey(buttons[b.Button], InternetKey(b.Row));
    }
    SetWindowButtons(buttons);
}

void SetGame3Buttons(TBUTTONFUNCINFO (&buttons)[ButtonFuncCount]) {
    SetFunction(buttons[3], 3, FunctionTypeParameters, 38);
    buttons[3].nParam1 = 3;
    buttons[3].nParam2 = 1;
    buttons[3].nParam3 = 129;
    constexpr std::pair<int, std::uint16_t> codeOnly[] = {{4, 45}, {5, 46}, {6, 41},
                                                          {7, 42}, {11, 3}, {12, 4}};
    for (const auto& [button, code] : codeOnly)
        SetFunction(buttons[button], button, FunctionTypeCodeOnly, code);
    // Left Alt, left Ctrl, left Shift.
    constexpr std::pair<int, std::uint16_t> modifiers[] = {
        {8, VK_LMENU_}, {9, VK_LCONTROL_}, {10, VK_LSHIFT_}};
    for (const auto& [button, vkCode] : modifiers) {
        SetFunction(buttons[button], button, FunctionTypeSingleKey, 5);
        SetSingleKey(buttons[button], vkCode, 0, u"");
    }
}

void SetCPILevel(TCPISTATEITEM& level, std::uint16_t cpi) {
    level.XCPI = cpi;
    level.YCPI = cpi;
    level.Enabled = 1;
}

void ClearCPILevel(TCPISTATEITEM& level) {
    level.XCPI = 0;
    level.YCPI = 0;
    level.Enabled = 0;
}

// The header fields every default profile gets.
void SetProfileHeader(TMouseProfileInfo& profile, double now) {
    profile.ProfileHeader.FProfileUID.DataTime = now;
    profile.ProfileHeader.FFileVersion = ProfileFileVersion;
}

} // namespace

void SetGameProfileDefaults(TMouseProfileInfo& profile, int game, double now) {
    TMOUSECONFIGINFO& config = profile.ConfigInfo;
    SetProfileHeader(profile, now);
    config.ButtonCount = 13;

    for (TBUTTONFUNCINFO& entry : config.ButtonFuncInfo)
        ClearPayload(entry);
    for (int button = 0; button < 3; ++button)
        SetFunction(config.ButtonFuncInfo[button], button, FunctionTypeCodeOnly,
                    static_cast<std::uint16_t>(button));
    if (game == 1)
        SetGame1Buttons(config.ButtonFuncInfo);
    else if (game == 2)
        SetGame2Buttons(config.ButtonFuncInfo);
    else
        SetGame3Buttons(config.ButtonFuncInfo);
    // Button 13 is bound to the one function of its group (code 43, identifier 14),
    // so a fresh profile holds a complete entry there.
    SetFunction(config.ButtonFuncInfo[13], 13, FunctionTypeCodeOnly, 43);

    config.VWheelSpeed = 3;
    config.DoubleClickSpeed = 550;
    config.PointerSpeed = 10;
    config.PointerAcceleration = 0;
    config.ReportRate = 500;
    config.CPILevel = 5;
    config.LEDConfig.BRIGHT_LEVEL = 2;
    config.LEDConfig.BREATH_SPEED = 3;

    constexpr std::uint16_t levels[] = {400, 800, 1600, 3200, 4000};
    for (int i = 0; i < 5; ++i) {
        SetCPILevel(config.CPIState[i], levels[i]);
        config.UseDiffentXY[i] = 1;
    }

    // Colour and active CPI level per game.
    constexpr TLEDCONFIG colours[] = {
        {255, 255, 0}, {0, 255, 0}, {0, 0, 255}, {255, 0, 255}, {255, 0, 0}};
    const int g = (game >= 1 && game <= 5 ? game : 1) - 1;
    config.CurrentCPIIndex = g;
    config.LEDConfig.R = colours[g].R;
    config.LEDConfig.G = colours[g].G;
    config.LEDConfig.B = colours[g].B;
}

void SetTestProfileDefaults(TMouseProfileInfo& profile, double now) {
    std::memset(reinterpret_cast<unsigned char*>(&profile), 0, sizeof(profile));
    TMOUSECONFIGINFO& config = profile.ConfigInfo;
    SetProfileHeader(profile, now);
    config.ButtonCount = 15;

    // Buttons 0 to 4 carry their own function code; the entries keep index 0.
    for (int button = 0; button < 5; ++button)
        SetFunction(config.ButtonFuncInfo[button], 0, FunctionTypeCodeOnly,
                    static_cast<std::uint16_t>(button));
    // Buttons 5 to 13 send their own report mask: bit k for button k.
    for (int button = 5; button < ButtonFuncCount; ++button) {
        TBUTTONFUNCINFO& entry = config.ButtonFuncInfo[button];
        entry.FunctionType = FunctionTypeKeyPattern;
        entry.FunctionCode = 14;
        entry.FunctionGroup = 19;
        entry.FunctionId = 0;
        const std::uint32_t mask = 1u << button;
        entry.KeyPattern[0] = mask & 0xFF;
        entry.KeyPattern[1] = (mask >> 8) & 0xFF;
        entry.KeyPattern[2] = (mask >> 16) & 0xFF;
    }

    config.VWheelSpeed = 3;
    config.DoubleClickSpeed = 550;
    config.PointerSpeed = 10;
    config.PointerAcceleration = 0;
    config.ReportRate = 125;
    config.CPILevel = 5;
    config.LEDConfig.BRIGHT_LEVEL = 2;
    config.LEDConfig.BREATH_SPEED = 2;
    config.LEDConfig.R = 255;
    config.LEDConfig.G = 0;
    config.LEDConfig.B = 0;

    constexpr std::uint16_t levels[] = {1000, 2000, 4000, 8200, 16400};
    for (int i = 0; i < 5; ++i) {
        SetCPILevel(config.CPIState[i], levels[i]);
        config.UseDiffentXY[i] = 1;
    }
    config.CurrentCPIIndex = 0;
    profile.MacroKeyInfoList.nMacroInfoCount = 0;
}

std::u16string ProfileFileName(const std::u16string& prefix, int n) {
    using Name = decltype(TPROFILELOCATION::FileName);
    const std::u16string suffix = IntToText(n) + u".pfd";
    const std::size_t room = Name::MaxLength - suffix.size();
    return prefix.substr(0, room) + suffix;
}

std::u16string ProfileMacroFolderOf(const std::u16string& profileFolder,
                                    const std::u16string& prefix, int n) {
    return profileFolder + prefix + IntToText(n) + u"_Macros";
}

void SetProfileSettingGroupDefaults(TProfileSettingGroup& group,
                                    const TOptionsFromConfigFile& options,
                                    const std::u16string& profileFolder) {
    for (int i = 0; i < ProfileCount; ++i) {
        const int n = i + 1;
        TPROFILELOCATION& entry = group.ProfileSettingList[i];
        entry.Tag = 0;
        entry.StorageKind = StorageInRegistry;
        entry.FileName.Set(ProfileFileName(options.ProfileNamePrefix, n));
        entry.KeyPath.Set(options.ProfileRegFolder);
        entry.FilePath.Set(profileFolder);
        entry.MacroFolder.Set(
            profileFolder.empty()
                ? std::u16string()
                : ProfileMacroFolderOf(profileFolder, options.ProfileNamePrefix, n));
    }
    group.CurrentProfileGroup = 0;
    group.ProfileIndexOfProfileGroup[0] = 0;
    group.ProfileIndexOfProfileGroup[1] = 1;
}

void SetAllGamesInfoDefaults(TALLGAMESINFO& info) {
    for (TPROFILELOCATION& entry : info.Allgameset) {
        entry.Tag = 0;
        entry.StorageKind = StorageInRegistry;
        entry.FilePath.Set(u"");
    }
    info.CurrentGame = 2;
    info.Allgameset[0].Tag = 1;
    info.CurrentLanguage = 10;
}

void SetCPISettingDefaults(TMouseProfileInfo& profile) {
    TMOUSECONFIGINFO& config = profile.ConfigInfo;
    for (int i = 0; i < 5; ++i)
        ClearCPILevel(config.CPIState[i]);
    // Four levels; the fifth stays off.
    constexpr std::uint16_t levels[] = {1000, 2000, 4000, 8200};
    for (int i = 0; i < 4; ++i) {
        SetCPILevel(config.CPIState[i], levels[i]);
        config.UseDiffentXY[i] = 0;
    }
    config.CurrentCPIIndex = 1;
}

void SetLightAndReportDefaults(TMouseProfileInfo& profile) {
    TMOUSECONFIGINFO& config = profile.ConfigInfo;
    config.ReportRate = 125;
    config.LEDConfig.BRIGHT_LEVEL = 2;
    config.LEDConfig.BREATH_SPEED = 3;
    config.LEDConfig.R = 255;
    config.LEDConfig.G = 0;
    config.LEDConfig.B = 0;
}

} // namespace zq
