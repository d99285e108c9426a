// Finding the mouse's vendor collection: the include list, the identifier rules,
// the capability conditions and the result codes, over simulated mice.
#include "hid/TuiHIDData.h"
#include "support/HidWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace zq::test {
namespace {

using sim::SimMouse;
using sim::SimMouseConfig;
using sim::SimVendorCollection;

SimMouseConfig WithProduct(std::uint16_t productId) {
    auto config = SimMouseConfig::Default();
    config.ProductId = productId;
    return config;
}

std::unique_ptr<THIDDataParam> Transfer(std::u16string deviceId, std::uint8_t reportId,
                                        std::uint32_t size) {
    auto param = std::make_unique<THIDDataParam>();
    param->UsageAndPage = VendorUsageAndPage;
    param->DeviceID = std::move(deviceId);
    param->Data.ReportID = reportId;
    param->Data.DATASIZE = size;
    return param;
}

class TuiHIDDataTest : public ::testing::Test {
protected:
    HidWorld Hid;
    sim::SimWorld& World = Hid.World;
};

TEST_F(TuiHIDDataTest, IncludeListIsReadOnceUpToTheFirstMissingKey) {
    Hid.Folder.Write("config.ini", "[IncludeHIDDeviceList]\r\nid1=HID\\VID_7A51&PID_0C01\r\n"
                                   "id2=hid\\vid_7a51&pid_0c01\r\nid4=never read\r\n");
    TuiHIDData data(World.Platform());
    EXPECT_EQ(data.GetHIDDeviceList(),
              (std::vector<std::u16string>{u"HID\\VID_7A51&PID_0C01", u"hid\\vid_7a51&pid_0c01"}));
    Hid.WriteIncludeList({u"changed"});
    EXPECT_EQ(data.GetHIDDeviceList().size(), 2u); // taken at creation only
}

TEST_F(TuiHIDDataTest, WithoutConfigFileEveryVendorCollectionIsUsed) {
    auto& mouse = World.Hid.AddMouse();
    TuiHIDData data(World.Platform());
    EXPECT_TRUE(data.GetHIDDeviceList().empty());
    THIDDataParam param;
    param.UsageAndPage = VendorUsageAndPage;
    EXPECT_TRUE(data.IsDeviceExist(param));
    data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    EXPECT_EQ(data.ReaderCount(), 1u);
    EXPECT_EQ(mouse.OpenHandles(), 1u); // the reader's own, on the vendor collection only
    data.HidStopRead();
    EXPECT_EQ(mouse.OpenHandles(), 0u);
}

// Which of two mice (A and B, differing in their product id) each rule selects,
// for include lists and identifiers in every form that matters.
TEST_F(TuiHIDDataTest, IdentifierRulesOverIncludeListsAndIdentifiers) {
    auto& a = World.Hid.AddMouse(WithProduct(0x0C01));
    auto& b = World.Hid.AddMouse(WithProduct(0x0C02));
    const std::u16string idA = u"HID\\VID_7A51&PID_0C01&MI_01&Col02";
    const std::u16string idB = u"HID\\VID_7A51&PID_0C02&MI_01&Col02";
    const std::u16string idALower = u"hid\\vid_7a51&pid_0c01&mi_01&col02";
    const std::u16string prefixA = u"HID\\VID_7A51&PID_0C01";
    const std::u16string classId = u"HID_DEVICE_UP:FFA0_U:0001";
    enum Sel { None = 0, A = 1, B = 2, Both = 3 };
    struct Case {
        std::vector<std::u16string> List;
        std::u16string Id;
        int RuleW;
        int RuleR;
    };
    const Case cases[] = {
        // The empty list: W selects by a given identifier, R selects everything.
        {{}, u"", Both, Both},
        {{}, u"*", Both, Both},
        {{}, idA, A, Both},
        {{}, idALower, A, Both},
        {{}, prefixA, None, Both},
        // A list naming A: "*" and the empty identifier select by the list.
        {{idA}, u"", A, None},
        {{idA}, u"*", A, A},
        {{idA}, idB, B, B},
        {{idALower}, u"*", A, A},
        {{prefixA}, u"*", None, None},
        {{prefixA}, u"", None, None},
        {{idB, idA}, u"*", Both, Both},
        {{classId}, u"*", Both, Both},
        {{u"HID\\VID_0000&PID_0000"}, u"*", None, None},
        {{u"HID\\VID_0000&PID_0000"}, idALower, A, A},
    };
    for (const auto& c : cases) {
        Hid.WriteIncludeList(c.List);
        TuiHIDData data(World.Platform());
        SCOPED_TRACE(ToUtf8(c.Id) + " with " + std::to_string(c.List.size()) + " listed");

        // Rule W, seen by which mouse receives a feature report.
        auto before = [&](SimMouse& m) { return m.FeatureReportsReceived().size(); };
        const auto sentA = before(a), sentB = before(b);
        auto param = Transfer(c.Id, 2, 16);
        const std::uint32_t result = data.HidFindAndSetFeatureReport(*param);
        const int w = (before(a) > sentA ? A : 0) | (before(b) > sentB ? B : 0);
        EXPECT_EQ(w, c.RuleW);
        EXPECT_EQ(result == 0, c.RuleW != None);
        EXPECT_EQ(data.IsDeviceExist(*param), c.RuleW != None);

        // Rule R, seen by which mouse a reader holds open.
        data.HidFindAndReadDevice(VendorUsageAndPage, c.Id);
        const int r = (a.OpenHandles() ? A : 0) | (b.OpenHandles() ? B : 0);
        EXPECT_EQ(r, c.RuleR);
        data.HidStopRead();
    }
}

TEST_F(TuiHIDDataTest, TwoQualifyingInterfacesGetTwoReadersAndEveryTransfer) {
    auto& a = World.Hid.AddMouse(WithProduct(0x0C01));
    auto& b = World.Hid.AddMouse(WithProduct(0x0C02));
    TuiHIDData data(World.Platform());
    data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    EXPECT_EQ(data.ReaderCount(), 2u);
    EXPECT_EQ(a.OpenHandles() + b.OpenHandles(), 2u);
    data.HidStopRead();
    EXPECT_EQ(data.ReaderCount(), 0u);

    // The feature set reaches both; the code of the second one tried counts.
    b.SetFeatureError(HidError::GenFailure);
    auto param = Transfer(u"", 2, 16);
    param->Data.DATAReally[0] = 0x06;
    EXPECT_EQ(data.HidFindAndSetFeatureReport(*param), HidError::GenFailure);
    EXPECT_EQ(a.FeatureReportsReceived().size(), 1u);
    a.SetFeatureError(HidError::GenFailure);
    b.SetFeatureError(0);
    EXPECT_EQ(data.HidFindAndSetFeatureReport(*param), 0u);
    EXPECT_EQ(b.FeatureReportsReceived().size(), 1u);
    EXPECT_EQ(World.Log.Channel("hid-set"),
              (std::vector<std::string>(2, "02060000000000000000000000000000")));
}

TEST_F(TuiHIDDataTest, FeatureLengthBelowTheTransferLeavesTheInterfaceOut) {
    auto config = SimMouseConfig::Default();
    config.Collections[SimVendorCollection].FeatureReportByteLength = 16;
    auto& mouse = World.Hid.AddMouse(config);
    TuiHIDData data(World.Platform());
    auto large = Transfer(u"", 3, 64);
    EXPECT_EQ(data.HidFindAndSetFeatureReport(*large), HidNoDeviceResult);
    EXPECT_EQ(data.HidFindAndGetFeatureReport(*large), HidNoDeviceResult);
    EXPECT_TRUE(mouse.FeatureReportsReceived().empty());
    auto fits = Transfer(u"", 2, 16);
    EXPECT_EQ(data.HidFindAndSetFeatureReport(*fits), 0u);
    EXPECT_TRUE(data.IsDeviceExist(*large)); // existence asks only for the usage
}

TEST_F(TuiHIDDataTest, GetFeatureCopiesTheReportBackOnlyOnSuccess) {
    auto& mouse = World.Hid.AddMouse();
    mouse.SetReplyOverride([](std::uint8_t id, std::size_t length) {
        std::vector<std::uint8_t> reply(length, 0xA5);
        reply[0] = id;
        return std::optional(reply);
    });
    TuiHIDData data(World.Platform());
    auto param = Transfer(u"*", 3, 64);
    param->Data.DATAReally[63] = 0x11; // beyond the report: untouched
    ASSERT_EQ(data.HidFindAndGetFeatureReport(*param), 0u);
    EXPECT_EQ(param->Data.ReportID, 3);
    EXPECT_EQ(param->Data.DATAReally[0], 0xA5);
    EXPECT_EQ(param->Data.DATAReally[62], 0xA5);
    EXPECT_EQ(param->Data.DATAReally[63], 0x11);
    std::string expected = "03";
    for (int i = 1; i < 64; ++i)
        expected += "a5";
    EXPECT_EQ(World.Log.Channel("hid-get"), (std::vector<std::string>{expected}));

    mouse.SetFeatureError(HidError::GenFailure);
    auto failed = Transfer(u"", 3, 64);
    failed->Data.DATAReally[0] = 0x42;
    EXPECT_EQ(data.HidFindAndGetFeatureReport(*failed), HidError::GenFailure);
    EXPECT_EQ(failed->Data.DATAReally[0], 0x42);
}

TEST_F(TuiHIDDataTest, WritesCountTheirBytesDifferentlyAndByHidIgnoresTheRules) {
    auto config = SimMouseConfig::Default();
    config.Collections[SimVendorCollection].OutputReportByteLength = 8;
    auto& mouse = World.Hid.AddMouse(config);
    Hid.WriteIncludeList({u"HID\\VID_0000&PID_0000"}); // selects nothing present
    TuiHIDData data(World.Platform());
    auto param = Transfer(u"", 5, 3);
    param->Data.DATAReally[0] = 0xA1;
    param->Data.DATAReally[1] = 0xA2;
    param->Data.DATAReally[2] = 0xA3;
    EXPECT_FALSE(data.HidFindAndWriteDevice(*param));
    EXPECT_TRUE(data.HidFindAndWriteDeviceBYHID(*param)); // DATASIZE bytes from the id on
    param->DeviceID = mouse.HardwareIds(SimVendorCollection)[1];
    EXPECT_TRUE(data.HidFindAndWriteDevice(*param)); // DATASIZE bytes after the id
    // Either way in a buffer of the collection's output length, zeros after the report.
    EXPECT_EQ(World.Log.Channel("hid-write"),
              (std::vector<std::string>{"05a1a20000000000", "05a1a2a300000000"}));

    param->Data.DATASIZE = 9; // longer than the collection's output reports
    EXPECT_FALSE(data.HidFindAndWriteDevice(*param));
    EXPECT_FALSE(data.HidFindAndWriteDeviceBYHID(*param));
}

TEST_F(TuiHIDDataTest, MouseAbsentGivesDefaultResultsEverywhere) {
    auto& mouse = World.Hid.AddMouse();
    mouse.Unplug();
    TuiHIDData data(World.Platform());
    auto param = Transfer(u"", 2, 16);
    EXPECT_FALSE(data.IsDeviceExist(*param));
    data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    EXPECT_EQ(data.ReaderCount(), 0u);
    EXPECT_FALSE(data.HidFindAndWriteDevice(*param));
    EXPECT_FALSE(data.HidFindAndWriteDeviceBYHID(*param));
    EXPECT_NE(data.HidFindAndSetFeatureReport(*param), 0u);
    EXPECT_NE(data.HidFindAndGetFeatureReport(*param), 0u);

    // The same when the device setup cannot list the interfaces at all.
    mouse.Plug();
    World.Hid.SetEnumerationFails(true);
    EXPECT_FALSE(data.IsDeviceExist(*param));
    EXPECT_EQ(data.HidFindAndSetFeatureReport(*param), HidNoDeviceResult);
}

TEST_F(TuiHIDDataTest, InterfacesThatCannotBeOpenedOrParsedAreSkipped) {
    auto exclusive = SimMouseConfig::Default();
    exclusive.Collections[SimVendorCollection].OpenFails = true;
    auto noCaps = WithProduct(0x0C02);
    noCaps.Collections[SimVendorCollection].CapsFail = true;
    World.Hid.AddMouse(exclusive);
    World.Hid.AddMouse(noCaps);
    TuiHIDData data(World.Platform());
    auto param = Transfer(u"", 2, 16);
    EXPECT_FALSE(data.IsDeviceExist(*param));
    EXPECT_EQ(data.HidFindAndSetFeatureReport(*param), HidNoDeviceResult);
    data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    EXPECT_EQ(data.ReaderCount(), 0u);
}

TEST_F(TuiHIDDataTest, OnlyTheRequestedCollectionQualifies) {
    World.Hid.AddMouse();
    TuiHIDData data(World.Platform());
    data.SetUsageAndPage(USAGE_AND_PAGE{0x0002, 0x0001});
    EXPECT_EQ(data.GetUsageAndPage(), (USAGE_AND_PAGE{0x0002, 0x0001}));
    auto param = Transfer(u"", 2, 16);
    param->UsageAndPage = USAGE_AND_PAGE{0x0001, 0xFF00};
    EXPECT_FALSE(data.IsDeviceExist(*param)); // the property is not consulted
    param->UsageAndPage = USAGE_AND_PAGE{0x0002, 0x0001};
    EXPECT_TRUE(data.IsDeviceExist(*param)); // the system mouse collection
    EXPECT_EQ(data.HidFindAndSetFeatureReport(*param), HidNoDeviceResult); // it has no features
}

} // namespace
} // namespace zq::test
