// Which devices get the filter driver, how, and from which package folder.

#include "driver/DriverInstallation.h"
#include "driver/SystemInfo.h"
#include "platform/sim/SimWorld.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace zq::test {
namespace {

constexpr SystemArchitecture Windows32{false, false, 0, 1, false};
constexpr SystemArchitecture Windows64{true, false, 9, 1, false};
constexpr OsVersion WindowsXP64Version{2, 5, 2, 3790};

class DriverInstallationTest : public ::testing::Test {
protected:
    DriverInstallationTest() { FWorld.System.SetArchitecture(Windows64); }

    DriverInstallation Make(std::int32_t whql, std::int32_t x32whql, std::int32_t upper = 0) {
        TDriverInfo info;
        info.InfFileName = u"usbqfrt00001.inf";
        info.FileName = u"usbqfrt00001.sys";
        info.ServiceName = u"usbqfrt00001";
        info.WHQL = whql;
        info.X32WHQL = x32whql;
        info.UpperFilter = upper;
        return DriverInstallation(FWorld.Setup, FWorld.System, info,
                                  {u"HID\\VID_1234&PID_5678&MI_02&Col01"},
                                  {u"USB\\VID_1234&PID_5678&MI_02"});
    }
    void AddMouse(std::vector<std::u16string> lower = {}, std::optional<std::uint32_t> status = 0) {
        sim::SimDeviceSetup::Device device;
        device.Node.HardwareIds = {u"usb\\vid_1234&pid_5678&mi_02", u"USB\\VID_1234&PID_5678"};
        device.Node.LowerFilters = std::move(lower);
        device.Status = status;
        FWorld.Setup.Devices().push_back(device);
    }
    std::vector<std::string> Setup() const { return FWorld.Log.Channel("setup"); }
    std::string Tool(const char* folder) const {
        return (FFolder.WithSeparator() / folder / "DIFxCmd.exe").string();
    }
    std::string Folder(const char* name) const { return (FFolder.WithSeparator() / name).string(); }

    TempFolder FFolder;
    sim::SimWorld FWorld{FFolder.WithSeparator()};
};

TEST_F(DriverInstallationTest, WindowsBitnessAndTheXp64Edition) {
    EXPECT_TRUE(IsWin64(Windows64));
    EXPECT_FALSE(IsWin64(Windows32));
    EXPECT_TRUE(IsWin64({false, true, 9, 1, false})); // a 32-bit build under WOW64
    EXPECT_FALSE(IsWin64({false, true, 0, 1, false}));
    EXPECT_TRUE(IsWindowsXP64(WindowsXP64Version, Windows64));
    EXPECT_FALSE(IsWindowsXP64(WindowsXP64Version, {true, false, 9, 3, false})); // server edition
    EXPECT_FALSE(IsWindowsXP64(WindowsXP64Version, {true, false, 9, 1, true}));  // R2
    EXPECT_FALSE(IsWindowsXP64({2, 6, 1, 7601}, Windows64));
}

TEST_F(DriverInstallationTest, ManualInstallCopiesRegistersAddsTheFilterAndRestarts) {
    FWorld.System.SetArchitecture(Windows32);
    AddMouse({u"otherfilter"});
    auto installation = Make(1, 0); // signed package, but not for 32-bit systems: manual
    EXPECT_FALSE(installation.UsesInstallerTool());
    installation.HidInstallDriver(true);
    const auto log = Setup();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_NE(log[0].find("DRIVERX86"), std::string::npos);
    EXPECT_NE(log[0].find("usbqfrt00001.sys"), std::string::npos);
    EXPECT_EQ(log[1].rfind("service-create usbqfrt00001 ", 0), 0u);
    EXPECT_NE(log[1].find("usbqfrt00001_Display"), std::string::npos);
    EXPECT_EQ(log[2], "lower-filters 0 otherfilter,usbqfrt00001");
    EXPECT_EQ(log[3], "restart 0");
}

TEST_F(DriverInstallationTest, InstallerToolWhenThePackageIsSignedForTheSystem) {
    FWorld.System.SetArchitecture(Windows32);
    AddMouse();
    Make(1, 1).HidInstallDriver(true);
    EXPECT_EQ(Setup(), (std::vector<std::string>{"run " + Tool("DRIVERX86") +
                                                 " /i usbqfrt00001.inf "
                                                 "DRIVER_PACKAGE_SILENT DRIVER_PACKAGE_FORCE in " +
                                                 Folder("DRIVERX86")}));
}

TEST_F(DriverInstallationTest, TheToolRunsOnceForAllInterfacesItInstalls) {
    AddMouse();
    AddMouse(); // a second interface of the same mouse
    // The package's tool gives every matching device our filter in one run.
    FWorld.Setup.SetOnRun([&](const std::u16string& parameters) {
        for (auto& device : FWorld.Setup.Devices())
            device.Node.LowerFilters = parameters.rfind(u"/i ", 0) == 0
                                           ? std::vector<std::u16string>{u"usbqfrt00001"}
                                           : std::vector<std::u16string>{};
    });
    Make(1, 1).HidInstallDriver(true);
    EXPECT_EQ(Setup().size(), 1u);
    FWorld.Log.Clear();
    Make(1, 1).HidInstallDriver(false);
    ASSERT_EQ(Setup().size(), 1u);
    EXPECT_NE(Setup()[0].find(" /u usbqfrt00001.inf "), std::string::npos);
}

TEST_F(DriverInstallationTest, Xp64TakesTheToolFromItsOwnFolderWithBareParameters) {
    FWorld.System.SetOsVersion(WindowsXP64Version);
    AddMouse({u"usbqfrt00001"}, 0);
    Make(1, 0).HidInstallDriver(false);
    EXPECT_EQ(Setup(), (std::vector<std::string>{"run " + Tool("XP64") +
                                                 " /u usbqfrt00001.inf in " + Folder("XP64")}));
    FWorld.Log.Clear();
    FWorld.Setup.Devices()[0].Node.LowerFilters.clear();
    Make(0, 0).HidInstallDriver(true); // the manual method copies the 64-bit driver
    ASSERT_FALSE(Setup().empty());
    EXPECT_NE(Setup()[0].find("DRIVERX64"), std::string::npos);
}

TEST_F(DriverInstallationTest, AnInstalledFilterIsLeftAloneUnlessTheDeviceHasAProblem) {
    AddMouse({u"USBQFRT00001"}, 0);
    Make(0, 0).HidInstallDriver(true);
    EXPECT_TRUE(Setup().empty());
    FWorld.Setup.Devices()[0].Status = DN_HAS_PROBLEM_;
    Make(0, 0).HidInstallDriver(true);
    EXPECT_EQ(Setup().size(), 4u);
    EXPECT_EQ(Setup()[1].rfind("service-create", 0), 0u);
}

TEST_F(DriverInstallationTest, RemovalTakesOnlyOurFilterOffAndLeavesOtherDevicesAlone) {
    AddMouse({u"first", u"usbqfrt00001", u"last"});
    AddMouse(); // without the filter: nothing to remove
    FWorld.Setup.Services()[u"usbqfrt00001"] = u"C:\\Windows\\System32\\Drivers\\usbqfrt00001.sys";
    Make(0, 0).HidInstallDriver(false);
    EXPECT_EQ(Setup(), (std::vector<std::string>{"lower-filters 0 first,last", "restart 0",
                                                 "service-delete usbqfrt00001"}));
}

TEST_F(DriverInstallationTest, ManualRemovalTakesTheFilterOffEveryInterfaceBeforeTheService) {
    // Two interfaces of one mouse: the service can be deleted only once, and a
    // filter left naming it would keep that interface from starting.
    AddMouse({u"usbqfrt00001"});
    AddMouse({u"other", u"usbqfrt00001"});
    FWorld.Setup.Services()[u"usbqfrt00001"] = u"C:\\Windows\\System32\\Drivers\\usbqfrt00001.sys";
    Make(0, 0).HidInstallDriver(false);
    EXPECT_EQ(Setup(),
              (std::vector<std::string>{"lower-filters 0 -", "restart 0", "lower-filters 1 other",
                                        "restart 1", "service-delete usbqfrt00001"}));
    EXPECT_TRUE(FWorld.Setup.Devices()[0].Node.LowerFilters.empty());
    EXPECT_EQ(FWorld.Setup.Devices()[1].Node.LowerFilters, std::vector<std::u16string>{u"other"});
    EXPECT_TRUE(FWorld.Setup.Services().empty());
}

TEST_F(DriverInstallationTest, ManualInstallCopiesTheDriverOnceForEveryInterface) {
    // After the first interface's restart the driver file is loaded: it is not
    // copied over again for the second.
    AddMouse();
    AddMouse();
    Make(0, 0).HidInstallDriver(true);
    const auto log = Setup();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0].rfind("copy ", 0), 0u);
    EXPECT_EQ(log[1].rfind("service-create usbqfrt00001 ", 0), 0u);
    EXPECT_EQ(std::vector<std::string>(log.begin() + 2, log.end()),
              (std::vector<std::string>{"lower-filters 0 usbqfrt00001", "restart 0",
                                        "lower-filters 1 usbqfrt00001", "restart 1"}));
    // A copy that fails leaves every interface alone.
    FWorld.Log.Clear();
    for (auto& device : FWorld.Setup.Devices())
        device.Node.LowerFilters.clear();
    FWorld.Setup.SetCopyFails(true);
    Make(0, 0).HidInstallDriver(true);
    EXPECT_EQ(Setup().size(), 1u);
}

TEST_F(DriverInstallationTest, UpperFilterSlotAndStopsOnFailures) {
    AddMouse();
    FWorld.Setup.SetCopyFails(true);
    Make(0, 0, 1).HidInstallDriver(true);
    EXPECT_EQ(Setup().size(), 1u); // the copy failed: nothing else is done
    FWorld.Log.Clear();
    FWorld.Setup.SetCopyFails(false);
    FWorld.Setup.SetServiceManagerFails(true);
    Make(0, 0, 1).HidInstallDriver(true);
    EXPECT_EQ(Setup().size(), 1u);
    FWorld.Log.Clear();
    FWorld.Setup.SetServiceManagerFails(false);
    Make(0, 0, 1).HidInstallDriver(true);
    ASSERT_EQ(Setup().size(), 4u);
    EXPECT_EQ(Setup()[2], "upper-filters 0 usbqfrt00001");
}

TEST_F(DriverInstallationTest, NoMatchingDeviceChangesNothingAndOnlyWholeIdsMatch) {
    sim::SimDeviceSetup::Device other;
    other.Node.HardwareIds = {u"USB\\VID_1234&PID_5678&MI_02&EXTRA"};
    FWorld.Setup.Devices().push_back(other);
    sim::SimDeviceSetup::Device mouse;
    mouse.Node.HardwareIds = {u"HID\\VID_1234&PID_5678&MI_02&Col01"};
    FWorld.Setup.Devices().push_back(mouse);
    auto installation = Make(0, 0);
    installation.HidInstallDriver(true);
    EXPECT_TRUE(Setup().empty());
    EXPECT_TRUE(installation.IsHIDDeviceExist());
    EXPECT_TRUE(installation.ISHIDDeviceExist(u"hid\\vid_1234&pid_5678&mi_02&col01"));
    EXPECT_FALSE(installation.ISHIDDeviceExist(u"HID\\VID_1234&PID_5678"));
    EXPECT_TRUE(installation.HardwareIdsInConfigUsbList({u"x", u"usb\\VID_1234&pid_5678&MI_02"}));
    EXPECT_FALSE(installation.HardwareIdsInConfigHidList({u"HID\\VID_1234"}));
    FWorld.Setup.SetAvailable(false);
    EXPECT_FALSE(installation.IsHIDDeviceExist());
}

} // namespace
} // namespace zq::test
