// The simulator as its users drive it: a script in, one line per effect out.

#include "Simulator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace zq::sim {
namespace {

struct Output {
    std::vector<std::string> Lines;
    std::string Errors;
};

Output Simulate(const std::string& script, SimulatorOptions options = {}) {
    std::ostringstream out, errors;
    {
        Simulator simulator(options, out, errors);
        std::istringstream in(script);
        simulator.Run(in);
    }
    Output run;
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);)
        run.Lines.push_back(line);
    run.Errors = errors.str();
    return run;
}

bool Has(const Output& run, const std::string& line) {
    return std::find(run.Lines.begin(), run.Lines.end(), line) != run.Lines.end();
}

TEST(Simulator, ButtonsStatusAndMessagesPrintTheirEffectsWithVirtualTime) {
    const Output run = Simulate("peer on            # the configuration program runs\n"
                                "bind 0 0 28\n"
                                "wait 3200\n"
                                "button 0\n"
                                "status 2 3\n"
                                "wait 150\n"
                                "report 8 06050000000000\n"
                                "mic absent\n"
                                "send 7037 0\n"
                                "menu exit\n"
                                "wait 1000\n");
    EXPECT_TRUE(Has(run, "t=3200 debug KeyIndex = 0 postmessage record!"));
    EXPECT_TRUE(Has(run, "t=3200 mic muted"));
    EXPECT_TRUE(Has(run, "t=3200 peer-post 7042 3 0"));
    EXPECT_TRUE(Has(run, "t=3300 driver 8000800c 0300"));
    EXPECT_TRUE(Has(run, "t=3350 peer-post 7043 5 0"));
    EXPECT_TRUE(Has(run, "t=3350 peer-post 7036 0 0"));
    EXPECT_EQ(run.Lines.back(), "t=3450 exit 0"); // after the shutdown's 100 ms
    EXPECT_EQ(run.Errors, "");
}

TEST(Simulator, TheTrayChannelShowsTheIconAndHintAsTheyChange) {
    const Output run = Simulate("bind 0 0 28\n"
                                "wait 3200\n"
                                "button 0\n"
                                "mic unmuted      # changed in the system's settings\n"
                                "resume\n"
                                "wait 1600\n");
    const std::string hint = "GAMING MOUSE DRIVER - Profile 1 - CPI level 1 - Microphone ";
    EXPECT_TRUE(Has(run, "t=0 tray icon normal, hint: " + hint + "on"));
    EXPECT_TRUE(Has(run, "t=3200 tray icon muted, hint: " + hint + "off"));
    EXPECT_TRUE(Has(run, "t=3200 tray icon normal, hint: " + hint + "on"));
    // The resume's resynchronisation, 1500 ms (and the 50 ms pump) later.
    EXPECT_TRUE(Has(run, "t=4750 hid-set 0206" + std::string(28, '0')));
    EXPECT_EQ(run.Errors, "");
}

TEST(Simulator, PlugAndUnplugOnlyActOnAChange) {
    const Output run = Simulate("wait 3100\nplug\nunplug\nunplug\nwait 100\nquit\n");
    int readBacks = 0;
    for (const auto& line : run.Lines)
        readBacks += line.find("hid-set 0206000000") != std::string::npos;
    EXPECT_EQ(readBacks, 1); // only the start-up resynchronisation
    EXPECT_TRUE(Has(run, "t=3100 debug ERROR_DEVICE_NOT_CONNECTED++++++++++++++++"));
}

TEST(Simulator, BadLinesAreReportedAndTheRunGoesOn) {
    const Output run = Simulate(
        "jump\nbutton 24\nwait soon\nstatus 1\nreport 7 0g\npeer maybe\nwait 3100\nquit\n");
    EXPECT_NE(run.Errors.find("line 1: unknown command 'jump'"), std::string::npos);
    EXPECT_NE(run.Errors.find("line 2: button: '24' is not a number from 0 to 23"),
              std::string::npos);
    EXPECT_NE(run.Errors.find("line 3:"), std::string::npos);
    EXPECT_NE(run.Errors.find("line 4: status takes 2 arguments"), std::string::npos);
    EXPECT_NE(run.Errors.find("line 5: report: '0g' is not bytes in hex"), std::string::npos);
    EXPECT_NE(run.Errors.find("line 6:"), std::string::npos);
    EXPECT_TRUE(Has(run, "t=3050 hid-set 02060000000000000000000000000000"));
    EXPECT_EQ(run.Lines.back(), "t=3200 exit 0");
}

TEST(Simulator, WordsFollowTheirLineAndLeaveTheLinesAsTheyAre) {
    const std::string script = "peer on\nwait 3200\nstatus 2 1\nwait 150\nquit\n";
    SimulatorOptions options;
    options.Words = true;
    const Output worded = Simulate(script, options);
    const Output plain = Simulate(script);

    auto after = [&](const std::string& line) {
        const auto it = std::find(worded.Lines.begin(), worded.Lines.end(), line);
        return it == worded.Lines.end() || it + 1 == worded.Lines.end() ? "(missing)" : *(it + 1);
    };
    EXPECT_EQ(after("t=3200 peer-post 7042 1 0"),
              "       to the configuration program: the mouse switched to CPI level 1");
    EXPECT_EQ(after("t=3300 driver 8000800c 0100"), "       current CPI level 1");
    EXPECT_EQ(after("t=3050 hid-set 02060000000000000000000000000000"), "       mode 0");
    // A line in words already is followed by the next effect.
    EXPECT_EQ(after("t=0 tray icon normal, hint: GAMING MOUSE DRIVER - Profile 3 - CPI level 1 - "
                    "Microphone on")
                  .substr(0, 2),
              "t=");

    // Without the words every line is an effect, and the effects are the same.
    std::vector<std::string> effects;
    for (const auto& line : worded.Lines)
        if (line.rfind("t=", 0) == 0)
            effects.push_back(line);
    EXPECT_LT(effects.size(), worded.Lines.size());
    EXPECT_EQ(effects, plain.Lines);
    EXPECT_EQ(plain.Errors, "");
}

TEST(Simulator, RegistryFolderSeedsTheKeyAndReceivesItBack) {
    zq::test::TempFolder folder;
    const auto registry = folder.Path() / "registry";
    folder.Write("registry/extra.pfd", "\x01\x02");
    SimulatorOptions options;
    options.RegistryFolder = registry;
    Simulate("quit\n", options);
    EXPECT_TRUE(std::filesystem::exists(registry / "allsettings.pfd"));
    EXPECT_EQ(std::filesystem::file_size(registry / "allsettings.pfd"), 30954u);
    EXPECT_EQ(std::filesystem::file_size(registry / "ProfileSettingGroup.pfd"), 30964u);
    EXPECT_EQ(std::filesystem::file_size(registry / "extra.pfd"), 2u);

    // A second run starts from what the first left: the stored language, say.
    const auto config = folder.Write("config.ini", "[OtherConfig]\nOfficialWebsite=http://x\n");
    options.ConfigFile = config;
    const Output run = Simulate("wait 10\nquit\n", options);
    EXPECT_EQ(run.Lines.back(), "t=110 exit 0");
}

TEST(Simulator, AFirstRunWithARegistryFolderNotYetMadeStartsEmptyWithoutComplaint) {
    zq::test::TempFolder folder;
    SimulatorOptions options;
    options.RegistryFolder = folder.Path() / "new";
    const Output run = Simulate("quit\n", options);
    EXPECT_EQ(run.Errors, "");
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "new" / "allsettings.pfd"));
}

TEST(Simulator, StoredNamesThatAreNoPlainFileNameStayOutOfTheRegistryFolder) {
    zq::test::TempFolder folder;
    const auto registry = folder.Path() / "registry";
    SimulatorOptions options;
    options.RegistryFolder = registry;
    Simulate("quit\n", options);
    // The stored name of the first profile of the first group now leads out of
    // the folder.
    std::fstream group(registry / "ProfileSettingGroup.pfd",
                       std::ios::in | std::ios::out | std::ios::binary);
    const std::u16string name = u"../escape.pfd";
    group.seekp(12 + 4098);
    for (const char16_t c : name + u'\0')
        group.put(static_cast<char>(c & 0xFF)).put(static_cast<char>(c >> 8));
    group.close();

    const Output run = Simulate("bind 0 0 28\nquit\n", options);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "escape.pfd"));
    EXPECT_NE(run.Errors.find("../escape.pfd"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(registry / "allsettings.pfd"));
}

} // namespace
} // namespace zq::sim
