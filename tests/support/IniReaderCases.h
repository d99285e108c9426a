#pragma once
// Cases that every INI reader of the program must pass alike: the portable reader
// natively, the Windows private-profile reader under wine. A test binary includes
// this once and instantiates the suite with its readers. Each Open writes the
// same file anew: a test reads what it opened before it opens the next.

#include "platform/IniFile.h"
#include "profiles/ConfigFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace zq::test {

using IniReaderFactory = std::function<std::unique_ptr<IIniReader>()>;

class IniReaderCases : public ::testing::TestWithParam<IniReaderFactory> {
protected:
    std::unique_ptr<IIniFile> Open(std::string_view content) {
        FReader = GetParam()();
        return FReader->Open(FFolder.Write("config.ini", content));
    }
    std::unique_ptr<IIniFile> OpenMissing() {
        FReader = GetParam()();
        return FReader->Open(FFolder.Path() / "config.ini");
    }

    TempFolder FFolder;
    std::unique_ptr<IIniReader> FReader;
};

TEST_P(IniReaderCases, MissingFileGivesDefaults) {
    auto ini = OpenMissing();
    EXPECT_EQ(ini->ReadString(u"options", u"profileFolder", u"Profile"), u"Profile");
    EXPECT_TRUE(ini->ReadSectionKeys(u"HelpFiles").empty());
    const auto options = ReadOptionsFromConfigFile(*ini);
    EXPECT_EQ(options.ProfileRegFolder, u"software\\software\\ZQGMMOUSE");
    EXPECT_EQ(options.ProfileFolder, u"Profile");
    EXPECT_EQ(options.ProfileNamePrefix, u"Profile");
    EXPECT_EQ(options.ProfileMacroFolder, u"MacroDB");
    const auto other = ReadOtherConfig(*ini);
    EXPECT_EQ(other.Nologo, 0);
    EXPECT_EQ(other.OfficialWebsite, u"http://");
    EXPECT_EQ(other.helppagestyle, u"1");
    EXPECT_EQ(other.HelpFile.Count(), 0u);
    EXPECT_TRUE(ReadIdentifierList(*ini, u"IncludeHIDDeviceList").empty());
    EXPECT_TRUE(ReadIdentifierList(*ini, u"devicelist").empty());
    EXPECT_TRUE(ReadIdentifierList(*ini, u"usbdevicelist").empty());
    const auto driver = ReadDriverInfo(*ini);
    EXPECT_EQ(driver.InfFileName, u"usbqfrt00001.inf");
    EXPECT_EQ(driver.FileName, u"usbqfrt00001.sys");
    EXPECT_EQ(driver.ServiceName, u"usbqfrt00001");
    EXPECT_EQ(driver.ServiceNamex86, u"usbqfrt00001");
    EXPECT_EQ(driver.ServiceNamex64, u"usbqfrt00001");
    EXPECT_EQ(driver.DeviceName, u"usbqfrt00001");
    EXPECT_EQ(driver.WHQL, 0);
    EXPECT_EQ(driver.X32WHQL, 0);
    EXPECT_EQ(driver.UpperFilter, 0);
}

TEST_P(IniReaderCases, NamesIgnoreCaseAndValuesAreTrimmedAndUnquoted) {
    auto ini = Open("[Options]\r\n"
                    "  ProfileREGfolder =   ZQGMMOUSE   \r\n"
                    "quoted=\"with spaces \"\r\n"
                    "single='x'\r\n"
                    "lonequote=\"abc\r\n"
                    "[other]\n"
                    "key=value=with=equals\n");
    EXPECT_EQ(ReadOptionsFromConfigFile(*ini).ProfileRegFolder, u"software\\ZQGMMOUSE");
    EXPECT_EQ(ini->ReadString(u"OPTIONS", u"QUOTED", u"-"), u"with spaces ");
    EXPECT_EQ(ini->ReadString(u"options", u"single", u"-"), u"x");
    EXPECT_EQ(ini->ReadString(u"options", u"lonequote", u"-"), u"\"abc");
    EXPECT_EQ(ini->ReadString(u"other", u"key", u"-"), u"value=with=equals");
}

TEST_P(IniReaderCases, EmptyValueIsEmptyTextNotTheDefault) {
    auto ini = Open("[options]\nProfileRegFolder=\nprofileFolder=\n");
    const auto options = ReadOptionsFromConfigFile(*ini);
    EXPECT_EQ(options.ProfileRegFolder, u"software\\");
    EXPECT_EQ(options.ProfileFolder, u"");
    EXPECT_EQ(options.ProfileNamePrefix, u"Profile");
}

TEST_P(IniReaderCases, FirstOfRepeatedKeysCounts) {
    auto ini = Open("[DEVICE]\nDeviceName=first\nDeviceName=second\n");
    EXPECT_EQ(ReadDriverInfo(*ini).DeviceName, u"first");
}

TEST_P(IniReaderCases, IntegersInDecimalOrHexElseTheDefault) {
    auto ini = Open("[DEVICE]\n"
                    "WHQL=yes\n"
                    "X32WHQL=$10\n"
                    "UpperFilter=0x1\n"
                    "[OtherConfig]\n"
                    "NoLogo=-7\n");
    const auto driver = ReadDriverInfo(*ini);
    EXPECT_EQ(driver.WHQL, 0);
    EXPECT_EQ(driver.X32WHQL, 16);
    EXPECT_EQ(driver.UpperFilter, 1);
    EXPECT_EQ(ReadOtherConfig(*ini).Nologo, -7);
}

TEST_P(IniReaderCases, IdentifierListsStopAtTheFirstGapAndAfter101) {
    std::string content =
        "[IncludeHIDDeviceList]\nid1=HID\\VID_1234&PID_0001\nid2=HID\\VID_1234&PID_0002\n"
        "id4=HID\\VID_1234&PID_0004\n[devicelist]\nid1=\nid2=set\n[usbdevicelist]\n";
    for (int n = 1; n <= 120; ++n)
        content += "ID" + std::to_string(n) + "=USB\\VID_" + std::to_string(1000 + n) + "\n";
    auto ini = Open(content);
    EXPECT_EQ(ReadIdentifierList(*ini, u"IncludeHIDDeviceList"),
              (std::vector<std::u16string>{u"HID\\VID_1234&PID_0001", u"HID\\VID_1234&PID_0002"}));
    EXPECT_TRUE(ReadIdentifierList(*ini, u"devicelist").empty());
    const auto usb = ReadIdentifierList(*ini, u"usbdevicelist");
    ASSERT_EQ(usb.size(), 101u);
    EXPECT_EQ(usb.back(), u"USB\\VID_1101");
}

TEST_P(IniReaderCases, HelpFilesInFileOrderWithoutEmptyValues) {
    auto ini = Open("[HelpFiles]\n"
                    "English=help_en.chm\n"
                    "Empty=\n"
                    "; a comment line\n"
                    "Chinese=help_ch.chm\n"
                    "english=again.chm\n");
    const auto other = ReadOtherConfig(*ini);
    using Entry = std::pair<std::u16string, std::u16string>;
    EXPECT_EQ(other.HelpFile.Entries(),
              (std::vector<Entry>{{u"English", u"help_en.chm"}, {u"Chinese", u"help_ch.chm"}}));
}

TEST_P(IniReaderCases, ByteOrderMarkedUnicodeFilesAreRead) {
    // UTF-16LE with its mark: "[options]\r\nprofileFolder=Профиль\r\n"
    const std::u16string text =
        u"[options]\r\nprofileFolder=\u041f\u0440\u043e\u0444\u0438\u043b\u044c\r\n";
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    auto ini = Open(bytes);
    EXPECT_EQ(ReadOptionsFromConfigFile(*ini).ProfileFolder,
              u"\u041f\u0440\u043e\u0444\u0438\u043b\u044c");
}

TEST_P(IniReaderCases, BareCarriageReturnsEndLinesToo) {
    auto ini = Open("[options]\rprofileFolder=A\rprofilePrefix=B\r[DEVICE]\rWHQL=1\r");
    const auto options = ReadOptionsFromConfigFile(*ini);
    EXPECT_EQ(options.ProfileFolder, u"A");
    EXPECT_EQ(options.ProfileNamePrefix, u"B");
    EXPECT_EQ(ReadDriverInfo(*ini).WHQL, 1);
    EXPECT_EQ(ini->ReadSectionKeys(u"options"),
              (std::vector<std::u16string>{u"profileFolder", u"profilePrefix"}));
    auto mixed = Open("[options]\r\nprofileFolder=A\rprofilePrefix=B\n[DEVICE]\n\rWHQL=1");
    EXPECT_EQ(ReadOptionsFromConfigFile(*mixed).ProfileNamePrefix, u"B");
    EXPECT_EQ(ReadDriverInfo(*mixed).WHQL, 1);
}

TEST_P(IniReaderCases, AUtf8ByteOrderMarkSelectsUtf8AndIsNoPartOfTheFirstLine) {
    auto ini = Open("\xEF\xBB\xBF[options]\r\nprofileFolder=\xC3\x84\xE4\xB8\xAD\r\n");
    EXPECT_EQ(ReadOptionsFromConfigFile(*ini).ProfileFolder, u"\u00C4\u4E2D");
    auto keyFirst = Open("\xEF\xBB\xBFprofileFolder=x\r\n[options]\r\nprofilePrefix=P\r\n");
    EXPECT_EQ(keyFirst->ReadString(u"", u"profileFolder", u"-"), u"x");
    EXPECT_EQ(ReadOptionsFromConfigFile(*keyFirst).ProfileNamePrefix, u"P");
    // Without the mark the same bytes are Windows-1252 text.
    auto unmarked = Open("[options]\r\nprofileFolder=\xC3\x84\r\n");
    EXPECT_EQ(ReadOptionsFromConfigFile(*unmarked).ProfileFolder, u"\u00C3\u201E");
}

TEST_P(IniReaderCases, OnlyTheFirstOfARepeatedSectionCounts) {
    auto ini = Open("[options]\nprofileFolder=A\n[other]\nx=1\n"
                    "[OPTIONS]\nprofilePrefix=B\nprofileFolder=C\n");
    const auto options = ReadOptionsFromConfigFile(*ini);
    EXPECT_EQ(options.ProfileFolder, u"A");
    EXPECT_EQ(options.ProfileNamePrefix, u"Profile");
    EXPECT_EQ(ini->ReadSectionKeys(u"options"), std::vector<std::u16string>{u"profileFolder"});
    EXPECT_EQ(ini->ReadString(u"other", u"x", u"-"), u"1");
}

TEST_P(IniReaderCases, KeysBeforeTheFirstSectionBelongToTheSectionWithoutName) {
    auto ini = Open("profileFolder=top\nk2=v\n[options]\nprofilePrefix=B\n");
    const auto options = ReadOptionsFromConfigFile(*ini);
    EXPECT_EQ(options.ProfileFolder, u"Profile");
    EXPECT_EQ(options.ProfileNamePrefix, u"B");
    EXPECT_EQ(ini->ReadString(u"", u"profileFolder", u"-"), u"top");
    EXPECT_EQ(ini->ReadSectionKeys(u""), (std::vector<std::u16string>{u"profileFolder", u"k2"}));
    EXPECT_EQ(Open("[options]\nx=1\n")->ReadString(u"", u"x", u"-"), u"-");
}

TEST_P(IniReaderCases, SpacesInsideTheBracketsAreNoPartOfTheName) {
    auto ini = Open("[ options ]\nprofileFolder=A\n[DEVICE ]\nWHQL=1\n[ other]\nx=1\n"
                    "[a b]\nk=v\n[x]]\nk=w\n  [HelpFiles] trailing text\nEnglish=en.chm\n");
    EXPECT_EQ(ReadOptionsFromConfigFile(*ini).ProfileFolder, u"A");
    EXPECT_EQ(ReadDriverInfo(*ini).WHQL, 1);
    EXPECT_EQ(ini->ReadString(u"other", u"x", u"-"), u"1");
    EXPECT_EQ(ini->ReadString(u"a b", u"k", u"-"), u"v");
    EXPECT_EQ(ini->ReadString(u"x]", u"k", u"-"), u"w"); // the name ends at the last bracket
    EXPECT_EQ(ini->ReadSectionKeys(u"HelpFiles"), std::vector<std::u16string>{u"English"});
}

TEST_P(IniReaderCases, BinaryOrHugeFilesGiveDefaultsWithoutStopping) {
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919) & 0xFF);
    auto ini = Open(binary);
    EXPECT_EQ(ReadOptionsFromConfigFile(*ini).ProfileMacroFolder, u"MacroDB");

    std::string huge(10 * 1024 * 1024, 'x');
    huge += "\n[options]\nprofilePrefix=Game\n";
    auto big = Open(huge);
    EXPECT_EQ(ReadOptionsFromConfigFile(*big).ProfileNamePrefix, u"Game");
}

} // namespace zq::test
