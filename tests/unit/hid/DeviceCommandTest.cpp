// The command packets: their lengths and report classes, and the exact feature
// reports that reach the mouse.
#include "hid/DeviceCommand.h"
#include "hid/TuiHIDData.h"
#include "support/HidWorld.h"

#include <gtest/gtest.h>

namespace zq::test {
namespace {

std::string Zeros(int bytes) {
    return std::string(static_cast<std::size_t>(bytes) * 2, '0');
}

TEST(DeviceCommandPacking, PayloadLengthByCommandClass) {
    struct Case {
        std::uint8_t Header[8];
        std::uint32_t Length;
    };
    const Case cases[] = {
        {{0x00, 1, 9, 2, 3}, 9},           {{0x80, 1, 9, 2, 3}, 9},
        {{0x02, 1, 9, 2, 3}, 2 + 3 * 256}, {{0x03, 0x43, 0, 1, 0}, 1},
        {{0x83, 0x43, 0, 42, 0}, 42},      {{0x01, 1, 9, 2, 3}, 0},
        {{0x04, 1, 9, 2, 3}, 0},           {{0x06, 1, 9, 2, 3}, 0},
        {{0x7F, 1, 9, 2, 3}, 0},           {{0x03, 0, 0, 0xFF, 0xFF}, 65535},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommandPayloadLength(c.Header), c.Length) << int(c.Header[0]);
}

TEST(DeviceCommandPacking, ReportClassesByTransferLength) {
    const std::pair<std::uint32_t, std::uint8_t> lengths[] = {
        {8, 2},    {16, 2},   {17, 3},   {64, 3},   {65, 4},  {1024, 4},
        {1025, 5}, {2048, 5}, {2049, 6}, {4096, 6}, {4097, 2}};
    for (const auto& [length, id] : lengths)
        EXPECT_EQ(ReportIdForLength(length), id) << length;
    const std::pair<std::uint8_t, std::uint32_t> sizes[] = {
        {0, 16}, {1, 16}, {2, 16}, {3, 64}, {4, 1024}, {5, 2048}, {6, 4096}, {7, 16}, {255, 16}};
    for (const auto& [id, size] : sizes)
        EXPECT_EQ(ReportSizeForId(id), size) << int(id);
}

TEST(DeviceCommandPacking, HeaderPacksBehindTheReportIdAndH7IsDropped) {
    std::uint8_t header[8] = {3, 0x43, 0, 1, 0, 0xFA, 0xFA, 0xFA};
    PackCommandHeader(2, header);
    EXPECT_EQ(std::vector<std::uint8_t>(header, header + 8),
              (std::vector<std::uint8_t>{2, 3, 0x43, 0, 1, 0, 0xFA, 0xFA}));
    UnpackReplyHeader(header);
    EXPECT_EQ(std::vector<std::uint8_t>(header, header + 8),
              (std::vector<std::uint8_t>{3, 0x43, 0, 1, 0, 0xFA, 0xFA, 0}));
}

class DeviceCommandTest : public ::testing::Test {
protected:
    std::vector<std::string> Sets() { return World.Log.Channel("hid-set"); }
    std::vector<std::string> Gets() { return World.Log.Channel("hid-get"); }

    HidWorld Hid;
    sim::SimWorld& World = Hid.World;
    sim::SimMouse& Mouse = World.Hid.AddMouse();
    TuiHIDData Data{World.Platform()};
};

TEST_F(DeviceCommandTest, SetDeviceModeSendsReport2) {
    SetDeviceMode(Data, 0);
    SetDeviceMode(Data, 1);
    EXPECT_EQ(Sets(), (std::vector<std::string>{"020600" + Zeros(13), "020601" + Zeros(13)}));
    EXPECT_EQ(Mouse.Mode(), 1);
    EXPECT_TRUE(Gets().empty());
}

TEST_F(DeviceCommandTest, QueryCurrentProfileUsesReport2Twice) {
    Mouse.SetActiveProfile(3);
    std::uint8_t profile = 0xEE;
    EXPECT_EQ(QueryDeviceByte(Data, profile, QUERY_CURRENT_PROFILE), 0u);
    EXPECT_EQ(profile, 3);
    EXPECT_EQ(Sets(), (std::vector<std::string>{"0203430001"
                                                "00fafa" +
                                                Zeros(8)}));
    // The get request carries the query header too.
    EXPECT_EQ(Mouse.FeatureRequestsReceived(),
              (std::vector<std::vector<std::uint8_t>>{
                  {2, 3, 0x43, 0, 1, 0, 0xFA, 0xFA, 0, 0, 0, 0, 0, 0, 0, 0}}));
    // The reply: the report id, the reply header, the profile from byte 8 on.
    EXPECT_EQ(Gets(), (std::vector<std::string>{"0203430001"
                                                "00fafa"
                                                "03" +
                                                Zeros(7)}));
}

TEST_F(DeviceCommandTest, ProfileCpiIndexIsByte1OfA42ByteReplyOnReport3) {
    Mouse.SetProfileCpiIndex(4, 6);
    std::vector<std::pair<int, std::size_t>> asked;
    Mouse.SetReplyOverride([&](std::uint8_t id, std::size_t length) {
        asked.emplace_back(id, length);
        return std::optional<std::vector<std::uint8_t>>();
    });
    std::int32_t cpi = -1;
    EXPECT_EQ(GetProfileCpiIndex(Data, 4, cpi), 0u);
    EXPECT_EQ(cpi, 6);
    EXPECT_EQ(GetProfileCpiIndex(Data, 0, cpi), 0u);
    EXPECT_EQ(cpi, 0);
    EXPECT_EQ(Sets(), (std::vector<std::string>{"02034f042a00fafa" + Zeros(8),
                                                "02034f002a00fafa" + Zeros(8)}));
    EXPECT_EQ(asked, (std::vector<std::pair<int, std::size_t>>{{3, 64}, {3, 64}}));
    EXPECT_EQ(Gets().at(0), "03034f042a00fafa0006" + Zeros(54));
    std::vector<std::uint8_t> request(64, 0);
    const std::uint8_t header[] = {3, 3, 0x4F, 4, 0x2A, 0, 0xFA, 0xFA};
    std::copy(std::begin(header), std::end(header), request.begin());
    EXPECT_EQ(Mouse.FeatureRequestsReceived().at(0), request);
}

TEST_F(DeviceCommandTest, AnAbsentMouseLeavesDestinationsAsTheyWere) {
    Mouse.Unplug();
    std::uint8_t profile = 0xEE;
    std::int32_t cpi = 77;
    EXPECT_NE(QueryDeviceByte(Data, profile, QUERY_CURRENT_PROFILE), 0u);
    EXPECT_NE(GetProfileCpiIndex(Data, 1, cpi), 0u);
    SetDeviceMode(Data, 1); // silently
    EXPECT_EQ(profile, 0xEE);
    EXPECT_EQ(cpi, 77);
    EXPECT_TRUE(Sets().empty());
}

TEST_F(DeviceCommandTest, AFailedHeaderPhaseSkipsTheGetRequest) {
    Mouse.SetFeatureError(HidError::GenFailure);
    std::uint8_t profile = 0xEE;
    EXPECT_EQ(QueryDeviceByte(Data, profile, QUERY_CURRENT_PROFILE), HidError::GenFailure);
    EXPECT_TRUE(Gets().empty());
    EXPECT_EQ(profile, 0xEE);
}

TEST_F(DeviceCommandTest, LongPayloadsChooseLargerReports) {
    DEVICE_COMMAND command;
    command.Header[0] = 0x82; // class 2 with bit 7 set: 9 payload bytes
    command.Header[3] = 9;
    for (int i = 0; i < 9; ++i)
        command.Payload[i] = static_cast<std::uint8_t>(0xB0 + i);
    EXPECT_EQ(SendDeviceCommand(Data, command), 0u);
    EXPECT_EQ(Sets().back(), "0382000009000000b0b1b2b3b4b5b6b7b8" + Zeros(64 - 17));
    EXPECT_EQ(command.Header[0], 3); // left packed
    EXPECT_EQ(command.password, DeviceCommandPassword);

    DEVICE_COMMAND eight;
    eight.Header[0] = 0;
    eight.Header[2] = 8; // class 0: 8 payload bytes, 16 in all
    EXPECT_EQ(SendDeviceCommand(Data, eight), 0u);
    EXPECT_EQ(Sets().back().size(), 32u);
}

// Payloads longer than the record, and replies longer than it, are cut to the
// record instead of running past it.
TEST_F(DeviceCommandTest, TransfersNeverRunPastTheRecord) {
    DEVICE_COMMAND huge;
    huge.Header[0] = 2;
    huge.Header[3] = 0x88;
    huge.Header[4] = 0x13; // 5000 payload bytes: above every report, so report 2
    std::fill(std::begin(huge.Payload), std::end(huge.Payload), 0xCC);
    EXPECT_EQ(SendDeviceCommand(Data, huge), 0u);
    EXPECT_EQ(Sets().back(), "02020000881300"
                             "00" +
                                 std::string(16, 'c'));

    Mouse.SetReplyOverride([](std::uint8_t id, std::size_t length) {
        std::vector<std::uint8_t> reply(length, 0xAB);
        reply[0] = id;
        return std::optional(reply);
    });
    DEVICE_COMMAND query;
    query.Header[0] = DEVCMD_QUERY;
    query.Header[3] = 0xA0;
    query.Header[4] = 0x0F; // a reply of 4000 bytes comes on report 6 (4096)
    EXPECT_EQ(QueryDeviceCommand(Data, query), 0u);
    EXPECT_EQ(query.password, DeviceCommandPassword);
    EXPECT_EQ(query.Reserved, 0);
    EXPECT_EQ(query.Header[0], 0xAB);
    EXPECT_EQ(query.Header[7], 0);
    EXPECT_EQ(query.Payload[0], 0xAB);
    EXPECT_EQ(query.Payload[2047], 0xAB);

    std::vector<std::uint8_t> destination(3000, 0);
    EXPECT_EQ(QueryDevice(Data, destination, 3000, 0x0101), 0u);
    EXPECT_EQ(destination[2047], 0xAB);
    EXPECT_EQ(destination[2048], 0); // no more than a record holds
}

TEST_F(DeviceCommandTest, UnknownQueriesAreAnsweredWithZeros) {
    TDeviceBlock block;
    block.fill(0x55);
    EXPECT_EQ(QueryDeviceBlock(Data, block, 0x0077), 0u);
    EXPECT_EQ(block, TDeviceBlock{});
    EXPECT_EQ(QueryDevice(Data, {}, 0, 0x0077), 0u); // nothing asked, nothing copied
}

} // namespace
} // namespace zq::test
