// The install's reading of the stand-in's log, which the tests and zqmon-drive
// both go by: a line the stand-in is still writing is not taken yet.

#include "MonitorProcess.h"

#include <gtest/gtest.h>

namespace zq::e2e {
namespace {

TEST(MonitorInstallE2E, PeerLogHoldsOnlyTheLinesTheStandInFinished) {
    const MonitorInstall install;
    EXPECT_TRUE(install.PeerLog().empty());

    install.WriteFile(L"peer.log", "started 12\nshown\nmessage 70");
    EXPECT_EQ(install.PeerLog(), (std::vector<std::string>{"started 12", "shown"}));
    EXPECT_FALSE(install.PeerLogged("message 70"));

    install.WriteFile(L"peer.log", "started 12\nshown\nmessage 7040 2 0\n");
    EXPECT_EQ(install.PeerLog(),
              (std::vector<std::string>{"started 12", "shown", "message 7040 2 0"}));
    EXPECT_TRUE(install.PeerLogged("message 7040 2 0"));
}

} // namespace
} // namespace zq::e2e
