// The script as the Windows run (tools/zqmon-drive) reads it: the input reports
// it hands the mouse, the same lines accepted and refused as by the simulator,
// and the same stored profile for "bind" as the simulated configuration program.

#include "DriveScript.h"
#include "Simulator.h"
#include "profiles/ConfigFile.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zq::drive {
namespace {

using Report = std::vector<std::uint8_t>;

TEST(DriveScript, ButtonStatusAndReportLinesBecomeTheMouseInputReports) {
    Step step = ParseLine("button 0");
    ASSERT_EQ(step.Type, Step::Kind::Input);
    EXPECT_EQ(step.Reports,
              (std::vector<Report>{{7, 1, 0, 0, 0, 0, 0, 0}, {7, 0, 0, 0, 0, 0, 0, 0}}));
    EXPECT_EQ(ParseLine("button 17").Reports[0], (Report{7, 0, 0, 2, 0, 0, 0, 0}));
    EXPECT_EQ(ParseLine("status 1 2").Reports, (std::vector<Report>{{8, 1, 2, 0, 0, 0, 0, 0}}));
    EXPECT_EQ(ParseLine("report 8 06050000fF").Reports,
              (std::vector<Report>{{8, 6, 5, 0, 0, 0xff}}));

    step = ParseLine("  send 7035 -2   # apply");
    EXPECT_EQ(step.Type, Step::Kind::Send);
    EXPECT_EQ(step.A, 7035);
    EXPECT_EQ(step.B, -2);
    step = ParseLine("menu config");
    EXPECT_EQ(step.Type, Step::Kind::Menu);
    EXPECT_TRUE(step.On);
}

TEST(DriveScript, AcceptsAndRefusesEveryLineAsTheSimulatorDoes) {
    const std::vector<std::string> lines = {"",
                                            "# a note",
                                            "jump",
                                            "button 24",
                                            "button -1",
                                            "button 1 2",
                                            "wait soon",
                                            "wait 0",
                                            "status 1",
                                            "status 256 0",
                                            "report 7 0g",
                                            "report 7 abc",
                                            "report 256 00",
                                            "peer maybe",
                                            "mic",
                                            "menu about",
                                            "send 7035 2147483648",
                                            "send -1 0",
                                            "cpi-index 5 0",
                                            "active-profile 256",
                                            "bind 0 14 28",
                                            "bind 0 0 65536",
                                            "bind 5 0 0",
                                            "plug 1",
                                            "quit now",
                                            "unplug unplug"};
    std::ostringstream effects, errors;
    sim::Simulator simulator({}, effects, errors);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        errors.str("");
        simulator.Execute(lines[i]);
        const std::string complaint = ParseLine(lines[i]).Error;
        EXPECT_EQ(errors.str(), complaint.empty() ? ""
                                                  : "error: line " + std::to_string(i + 1) + ": " +
                                                        complaint + "\n")
            << lines[i];
    }
}

TEST(DriveScript, BindStoresWhatTheSimulatedConfigurationProgramStores) {
    std::ostringstream effects, errors;
    sim::Simulator simulator({}, effects, errors);
    auto& world = simulator.World();
    const auto key =
        ReadOptionsFromConfigFile(*OpenConfigFile(world.Ini, world.System)).ProfileRegFolder;
    auto read = [&](const std::u16string& name) {
        const auto value = world.Registry.GetValue(RegistryRoot::CurrentUser, key, name);
        return value ? value->Data : std::vector<std::uint8_t>{};
    };
    // First over the factory values, then over the profile stored by the first.
    for (const auto& [button, function] : {std::pair{3, 28}, std::pair{5, 12}}) {
        const Binding binding = BindButton(read, 2, button, function);
        simulator.Execute("bind 2 " + std::to_string(button) + " " + std::to_string(function));
        EXPECT_EQ(read(binding.ProfileName), binding.Profile);
        EXPECT_EQ(read(AllSettingsName), binding.AllSettings);
    }
    EXPECT_EQ(errors.str(), "");
}

} // namespace
} // namespace zq::drive
