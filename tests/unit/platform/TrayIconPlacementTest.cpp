// The tray icon through restarts of the shell, on the simulated notification area.
#include "platform/TrayIconPlacement.h"
#include "platform/sim/SimNotificationArea.h"

#include <gtest/gtest.h>

namespace zq::test {
namespace {

TEST(TrayIconPlacement, ATaskbarThatRestartsWithTheIconStillThereKeepsIt) {
    sim::SimNotificationArea area;
    TrayIconPlacement icon(area);
    ASSERT_TRUE(icon.Place());
    // "TaskbarCreated" arrives, and the icon is still there: adding it fails.
    EXPECT_TRUE(icon.Place());
    EXPECT_TRUE(area.HasIcon());
    const int before = area.Modifications();
    icon.Update(); // a new hint reaches the shell
    EXPECT_EQ(area.Modifications(), before + 1);
    icon.Remove(); // no ghost left at exit
    EXPECT_FALSE(area.HasIcon());
}

TEST(TrayIconPlacement, WithoutAShellNothingIsShownUntilItStarts) {
    sim::SimNotificationArea area;
    area.SetRunning(false);
    TrayIconPlacement icon(area);
    EXPECT_FALSE(icon.Place());
    icon.Update();
    icon.Remove();
    area.SetRunning(true);
    EXPECT_EQ(area.Modifications(), 0);
    EXPECT_TRUE(icon.Place());
    EXPECT_TRUE(area.HasIcon());
    // The shell crashes and starts again without the icon: added anew.
    area.SetRunning(false);
    area.SetRunning(true);
    EXPECT_TRUE(icon.Place());
    EXPECT_TRUE(area.HasIcon());
}

} // namespace
} // namespace zq::test
