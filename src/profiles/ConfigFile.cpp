#include "profiles/ConfigFile.h"

#include "platform/Text.h"

#include <algorithm>

namespace zq {

void TNameValueList::SetValue(const std::u16string& name, const std::u16string& value) {
    const auto it = std::find_if(FEntries.begin(), FEntries.end(), [&](const auto& e) {
        return EqualsIgnoreAsciiCase(e.first, name);
    });
    if (value.empty()) {
        if (it != FEntries.end())
            FEntries.erase(it);
    } else if (it != FEntries.end()) {
        it->second = value;
    } else {
        FEntries.emplace_back(name, value);
    }
}

std::u16string TNameValueList::Value(const std::u16string& name) const {
    const auto it = std::find_if(FEntries.begin(), FEntries.end(), [&](const auto& e) {
        return EqualsIgnoreAsciiCase(e.first, name);
    });
    return it == FEntries.end() ? std::u16string() : it->second;
}

std::filesystem::path ConfigFilePath(ISystem& system) {
    return system.ExecutableFolder() / ConfigFileName;
}

std::unique_ptr<IIniFile> OpenConfigFile(IIniReader& reader, ISystem& system) {
    return reader.Open(ConfigFilePath(system));
}

TOptionsFromConfigFile ReadOptionsFromConfigFile(IIniFile& ini) {
    TOptionsFromConfigFile options;
    // The prefix is added to the value, and the default carries it already, so a
    // file without the key gives software\software\ZQGMMOUSE; the configuration
    // program forms the key the same way, so both find the same profiles.
    options.ProfileRegFolder =
        u"software\\" + ini.ReadString(u"options", u"ProfileRegFolder", u"software\\ZQGMMOUSE");
    options.ProfileFolder = ini.ReadString(u"options", u"profileFolder", u"Profile");
    options.ProfileNamePrefix = ini.ReadString(u"options", u"profilePrefix", u"Profile");
    options.ProfileMacroFolder = ini.ReadString(u"options", u"profileMacroFolder", u"MacroDB");
    return options;
}

TOtherConfig ReadOtherConfig(IIniFile& ini) {
    TOtherConfig other;
    other.Nologo = ini.ReadInteger(u"OtherConfig", u"NoLogo", 0);
    other.OfficialWebsite = ini.ReadString(u"OtherConfig", u"OfficialWebsite", u"http://");
    other.helppagestyle = ini.ReadString(u"OtherConfig", u"helppagestyle", u"1");
    for (const auto& name : ini.ReadSectionKeys(u"HelpFiles"))
        other.HelpFile.SetValue(name, ini.ReadString(u"HelpFiles", name, u""));
    return other;
}

TMonitorOptions ReadMonitorOptions(IIniFile& ini) {
    TMonitorOptions options;
    options.ShowNotices = ini.ReadInteger(u"options", u"ShowNotices", 0) != 0;
    options.FollowDefaultMicrophone =
        ini.ReadInteger(u"options", u"FollowDefaultMicrophone", 0) != 0;
    return options;
}

std::vector<std::u16string> ReadIdentifierList(IIniFile& ini, const std::u16string& section) {
    std::vector<std::u16string> list;
    for (int n = 1; n <= MaxIdentifiers; ++n) {
        std::u16string value = ini.ReadString(section, u"id" + IntToText(n), u"");
        if (value.empty())
            break;
        list.push_back(std::move(value));
    }
    return list;
}

TDriverInfo ReadDriverInfo(IIniFile& ini) {
    TDriverInfo info;
    info.InfFileName = ini.ReadString(u"DEVICE", u"InfFileName", u"usbqfrt00001.inf");
    info.FileName = ini.ReadString(u"DEVICE", u"FileName", u"usbqfrt00001.sys");
    info.ServiceName = ini.ReadString(u"DEVICE", u"ServiceName", u"usbqfrt00001");
    info.ServiceNamex86 = ini.ReadString(u"DEVICE", u"ServiceNamex86", u"usbqfrt00001");
    info.ServiceNamex64 = ini.ReadString(u"DEVICE", u"ServiceNamex64", u"usbqfrt00001");
    info.DeviceName = ini.ReadString(u"DEVICE", u"DeviceName", u"usbqfrt00001");
    info.WHQL = ini.ReadInteger(u"DEVICE", u"WHQL", 0);
    info.X32WHQL = ini.ReadInteger(u"DEVICE", u"X32WHQL", 0);
    info.UpperFilter = ini.ReadInteger(u"DEVICE", u"UpperFilter", 0);
    return info;
}

} // namespace zq
