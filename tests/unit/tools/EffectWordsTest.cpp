// The printed effects in plain words: the lines of the demo run as the
// simulator prints them, and lines that cannot be read.

#include "EffectWords.h"

#include <gtest/gtest.h>

namespace zq::drive {
namespace {

// The CPI record of the demo after the mouse switched to profile 2 (level 3).
const std::string DemoRecord =
    "715e0100080002030405000000000000030001f4010000f401000001ee020000ee02000001dc050000dc0500"
    "0001b20c0000b20c000001a00f0000a00f000000000000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000019001000090010000012003000020030000014006000040"
    "06000001800c0000800c000001a00f0000a00f00000000000000000000000000000000000000000000000000"
    "00000000000000000000000000000000000000000000500050006a006a006a006a0062006200640064000000"
    "000000000000000000000000000000000000";

// The record with the bytes from `offset` on replaced.
std::string Patched(std::string record, std::size_t offset, const std::string& hex) {
    return record.replace(2 * offset, hex.size(), hex);
}

std::string Words(const std::string& channel, const std::string& details) {
    return EffectInWords(channel, details).value_or("(none)");
}

TEST(EffectWords, FeatureReportsAreTheCommandsAndRepliesOfTheDemo) {
    EXPECT_EQ(Words("hid-set", "02060000000000000000000000000000"), "mode 0");
    EXPECT_EQ(Words("hid-set", "020343000100fafa0000000000000000"), "ask active profile");
    EXPECT_EQ(Words("hid-get", "020343000100fafa0200000000000000"), "reply: profile 2");
    EXPECT_EQ(Words("hid-set", "02034f022a00fafa0000000000000000"), "ask CPI level of profile 2");
    EXPECT_EQ(Words("hid-get", "03034f022a00fafa0003" + std::string(108, '0')),
              "reply: profile 2 on CPI level 3");
}

TEST(EffectWords, OtherCommandsAndQueriesAreDescribedByTheirNumbers) {
    EXPECT_EQ(Words("hid-set", "020345002a00fafa0000000000000000"),
              "ask query 0x0045 (reply of 42 bytes)");
    EXPECT_EQ(Words("hid-get", "030345002a00fafa00"), "reply to query 0x0045 (42 bytes asked)");
    EXPECT_EQ(Words("hid-set", "02090100000000000000000000000000"),
              "command 0x09 on report 2, 16 bytes");
    EXPECT_EQ(Words("hid-get", "02060100000000000000000000000000"),
              "reply to command 0x06 on report 2, 16 bytes");
    EXPECT_EQ(Words("hid-write", "0501020304"), "output report 5, 5 bytes");
}

TEST(EffectWords, DriverRequestsAreTheCpiRecordAndTheCurrentLevel) {
    EXPECT_EQ(Words("driver", "80008004 " + DemoRecord),
              "CPI record, apply, current level 3, levels 400/800/1600/3200/4000 on hardware "
              "500/750/1500/3250/4000");
    // The last record, at shutdown.
    EXPECT_EQ(Words("driver", "80008004 " + Patched(DemoRecord, 2, "0000")),
              "CPI record, no apply (last record), current level 3, levels "
              "400/800/1600/3200/4000 on hardware 500/750/1500/3250/4000");
    // Level 1 asks for 800 x 1600, level 2 is not in use.
    std::string record = Patched(DemoRecord, 108 + 9 + 5, "40060000");
    record = Patched(record, 108 + 18, "00");
    EXPECT_EQ(Words("driver", "80008004 " + record),
              "CPI record, apply, current level 3, levels 400/800x1600/3200/4000 on hardware "
              "500/750/3250/4000");
    for (std::size_t level = 0; level < 5; ++level)
        record = Patched(record, 108 + 9 * level, "00");
    EXPECT_EQ(Words("driver", "80008004 " + record),
              "CPI record, apply, current level 3, no level in use");

    EXPECT_EQ(Words("driver", "8000800c 0100"), "current CPI level 1");
    EXPECT_EQ(Words("driver", "8000800c 0201"), "current CPI level 258");
    EXPECT_EQ(Words("driver", "80008010 0102"), "request 0x80008010 to the filter driver, 2 bytes");
    EXPECT_EQ(Words("driver", "8000800c 010000"),
              "request 0x8000800c to the filter driver, 3 bytes");
}

TEST(EffectWords, MessagesToTheConfigurationProgramSayWhatHappened) {
    const std::string to = "to the configuration program: ";
    EXPECT_EQ(Words("peer-send", "7040 2 0"), to + "the mouse switched to profile 2");
    EXPECT_EQ(Words("peer-post", "7042 1 0"), to + "the mouse switched to CPI level 1");
    EXPECT_EQ(Words("peer-post", "7043 5 0"), to + "the mouse's status notice 6, value 5");
    EXPECT_EQ(Words("peer-post", "7036 0 0"), to + "the monitor ends");
    EXPECT_EQ(Words("peer-post", "7099 3 -1"), to + "message 7099, wParam 3, lParam -1");
    // The Windows run cannot tell sent from posted.
    EXPECT_EQ(Words("peer", "7040 4 0"), to + "the mouse switched to profile 4");
    EXPECT_EQ(Words("peer-window", "started"), "the configuration program started");
    EXPECT_EQ(Words("peer-window", "shown"), "the configuration program's window was shown");
}

TEST(EffectWords, LinesThatAreWordsAlreadyGetNone) {
    EXPECT_EQ(EffectInWords("mic", "muted"), std::nullopt);
    EXPECT_EQ(EffectInWords("tray", "icon normal, hint: GAMING MOUSE DRIVER - Profile 1"),
              std::nullopt);
    EXPECT_EQ(EffectInWords("debug", "KeyIndex = 0 postmessage record!"), std::nullopt);
    EXPECT_EQ(EffectInWords("skipped", "mic present: not switched here"), std::nullopt);
    EXPECT_EQ(Words("exit", "0"), "the monitor ended with exit code 0");
}

TEST(EffectWords, UnreadableDetailsSaySoWithoutReadingPastTheirEnd) {
    for (const char* report :
         {"", "0", "02", "zz06", "0206x", "02034300", "020343000100fafa", "03034f022a00fafa00"})
        EXPECT_EQ(Words("hid-get", report), "(unreadable report)") << report;
    EXPECT_EQ(Words("hid-set", "0206"), "(unreadable report)");
    EXPECT_EQ(Words("hid-write", ""), "(unreadable report)");
    for (const char* request : {"", "8000800", "80008004 0g", "80008004 715", "zz008004 00"})
        EXPECT_EQ(Words("driver", request), "(unreadable request)") << request;
    EXPECT_EQ(Words("driver", "80008004 " + DemoRecord.substr(0, 2 * 237)),
              "CPI record, too short to read (237 bytes)");
    for (const char* message :
         {"", "7040", "7040 2", "7040 x 0", "7040 2 0 1", "-5 0 0", "7040 - 0"})
        EXPECT_EQ(Words("peer-send", message), "(unreadable message)") << message;
}

TEST(EffectWords, TheWordsLineStandsUnderTheChannel) {
    EXPECT_EQ(WordsLine(4210, "peer-send", "7040 2 0"),
              "       to the configuration program: the mouse switched to profile 2");
    EXPECT_EQ(WordsLine(0, "driver", "8000800c 0300"), "    current CPI level 3");
    EXPECT_EQ(WordsLine(3200, "mic", "muted"), std::nullopt);
}

} // namespace
} // namespace zq::drive
