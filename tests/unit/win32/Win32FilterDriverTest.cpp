// The filter-driver channel against a real control device: the virtual filter
// driver, which logs what the program sends and answers as each test says.
#include "FolderPlatform.h"
#include "VirtualFilterFixture.h"
#include "driver/CpiTransfer.h"
#include "driver/TuiSTDCommand.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

namespace zq::test {
namespace {

using devices::DriverRequest;
using devices::ReadMode;
using devices::VirtualFilterDriver;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t STATUS_UNSUCCESSFUL_ = 0xC0000001;
constexpr std::uint32_t STATUS_DEVICE_NOT_CONNECTED_ = 0xC000009D;
constexpr std::uint32_t InitCode = DriverRequestCode(0x2010);
constexpr std::uint32_t ReadCode = DriverRequestCode(0x2011);

// The blocks the monitor loop delivered, collected from its workers.
class Delivered {
public:
    void Add(const std::uint8_t* buffer, std::uint32_t size) {
        std::lock_guard lock(FLock);
        FBlocks.emplace_back(buffer, buffer + size);
        FChanged.notify_all();
    }
    // The first count blocks, once they are there (empty after ten seconds).
    std::vector<Bytes> WaitFor(std::size_t count) {
        std::unique_lock lock(FLock);
        if (!FChanged.wait_for(lock, std::chrono::seconds(10),
                               [&] { return FBlocks.size() >= count; }))
            return {};
        return FBlocks;
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    std::vector<Bytes> FBlocks;
};

class Win32FilterDriverTest : public VirtualFilterFixture {
protected:
    TempFolder FFolder;
    FolderPlatform FWindows{FFolder.WithSeparator()};
    Platform& FServices = FWindows.Platform();
};

TEST_F(Win32FilterDriverTest, TheCpiRequestsArriveWithTheirCodesAndBytes) {
    TuiSTDCommand command(FServices);
    EXPECT_TRUE(command.IsDeviceExist());
    CPI_UNIT unit{};
    BuildCpiUnit(unit, 1,
                 {{{1000, 1000, 1}, {2000, 2000, 1}, {4000, 4000, 1}, {8200, 8200, 1}, {0, 0, 0}}});
    Bytes sent(sizeof(unit));
    std::memcpy(sent.data(), &unit, sizeof(unit));
    ASSERT_EQ(sent.size(), 238u);

    EXPECT_EQ(SendCPIUnit(command, unit), 0u);
    EXPECT_EQ(SendCurrentCpi(command, 3), 0u);

    const auto requests = VirtualFilterDriver::Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], (DriverRequest{0x80008004, sent, 238, 238}));
    EXPECT_EQ(requests[1], (DriverRequest{0x8000800C, {3, 0}, 2, 2}));
    // The record's golden bytes: header, the active level, level 3 at 4000 with
    // its 8200 asked for (rate 205), the disabled level 4 at 250.
    const Bytes& record = requests[0].Input;
    EXPECT_EQ(Bytes(record.begin(), record.begin() + 18),
              (Bytes{0x71, 0x5E, 1, 0, 8, 0, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(Bytes(record.begin() + 18 + 27, record.begin() + 18 + 45),
              (Bytes{1, 0xA0, 0x0F, 0, 0, 0xA0, 0x0F, 0, 0, 0, 0xFA, 0, 0, 0, 0xFA, 0, 0, 0}));
    EXPECT_EQ(Bytes(record.begin() + 198 + 12, record.begin() + 198 + 20),
              (Bytes{205, 0, 205, 0, 0, 0, 0, 0}));
}

TEST_F(Win32FilterDriverTest, AFailingDriverGivesTheSystemErrorAndLeavesTheBufferAlone) {
    TuiSTDCommand command(FServices);
    Bytes buffer = {7, 8};
    ASSERT_TRUE(VirtualFilterDriver::SetFailure(STATUS_DEVICE_NOT_CONNECTED_));
    EXPECT_EQ(command.DeviceRW(buffer.data(), 2, IOCTL_SET_CURRENT_CPI),
              ERROR_DEVICE_NOT_CONNECTED_);
    ASSERT_TRUE(VirtualFilterDriver::SetFailure(STATUS_UNSUCCESSFUL_));
    EXPECT_EQ(SendCurrentCpi(command, 1), ERROR_GEN_FAILURE_);
    EXPECT_EQ(buffer, (Bytes{7, 8}));
    // Both still reached the driver.
    EXPECT_EQ(VirtualFilterDriver::Requests().size(), 2u);

    // A slow answer is still an answer: the request waits for it.
    ASSERT_TRUE(VirtualFilterDriver::SetFailure(0));
    ASSERT_TRUE(VirtualFilterDriver::SetDelay(50));
    EXPECT_EQ(command.DeviceRW(buffer.data(), 2, IOCTL_SET_CURRENT_CPI), 0u);
    EXPECT_EQ(VirtualFilterDriver::PendingCount(), 0u);
}

TEST_F(Win32FilterDriverTest, TheDeviceNameComesFromConfigIni) {
    ASSERT_EQ(VirtualFilterDriver::Install(L"zqvfother"), "");
    FFolder.Write("config.ini", "[DEVICE]\r\nDeviceName=zqvfother\r\n");
    TuiSTDCommand renamed(FServices);
    EXPECT_EQ(SendCurrentCpi(renamed, 2), 0u);
    EXPECT_EQ(VirtualFilterDriver::Requests().size(), 1u);

    FFolder.Write("config.ini", "");
    TuiSTDCommand usual(FServices);
    EXPECT_FALSE(usual.IsDeviceExist());
    EXPECT_EQ(SendCurrentCpi(usual, 2), ERROR_NOT_READY_);
    ASSERT_EQ(VirtualFilterDriver::Install(), "");
    EXPECT_TRUE(usual.IsDeviceExist());
}

TEST_F(Win32FilterDriverTest, WithTheDriverStoppedRequestsAreNotReady) {
    TuiSTDCommand command(FServices);
    ASSERT_TRUE(VirtualFilterDriver::Stop());
    EXPECT_FALSE(command.IsDeviceExist());
    EXPECT_EQ(SendCurrentCpi(command, 1), ERROR_NOT_READY_);
    ASSERT_EQ(VirtualFilterDriver::Install(), "");
    EXPECT_EQ(SendCurrentCpi(command, 1), 0u);
}

// The monitor loop with a read truly pending at the driver: fed blocks reach
// OnDataReceived, a stop cancels the read under way, a start arms it again.
TEST_F(Win32FilterDriverTest, TheMonitorLoopReadsFedBlocksStopsAndStartsAgain) {
    ASSERT_TRUE(VirtualFilterDriver::SetReadCode(ReadCode, ReadMode::Pend));
    Delivered delivered;
    TuiSTDCommand command(FServices);
    command.OnDataReceived = [&](const std::uint8_t* buffer, std::uint32_t size) {
        delivered.Add(buffer, size);
    };
    const Bytes init = {0xA1, 0xA2, 0xA3};
    ASSERT_TRUE(command.SetDeviceInitData(init.data(), 3, InitCode, ReadCode, 4, 6));

    command.StartMonitorDevice();
    ASSERT_TRUE(VirtualFilterDriver::WaitForPendingCount(1)) << "no read pending";
    const Bytes block = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(VirtualFilterDriver::Feed(block));
    // Cut to the read's output size; the partner worker reads next.
    EXPECT_EQ(delivered.WaitFor(1), (std::vector<Bytes>{{1, 2, 3, 4, 5, 6}}));
    ASSERT_TRUE(VirtualFilterDriver::WaitForPendingCount(1)) << "the partner does not read";

    command.StopMonitorDevice();
    EXPECT_EQ(VirtualFilterDriver::PendingCount(), 0u);
    const DriverRequest read{ReadCode, {0, 0, 0, 0}, 4, 6};
    EXPECT_EQ(VirtualFilterDriver::Requests(),
              (std::vector<DriverRequest>{{InitCode, init, 3, 3}, read, read}));

    ASSERT_TRUE(VirtualFilterDriver::Clear());
    ASSERT_TRUE(VirtualFilterDriver::SetReadCode(ReadCode, ReadMode::Pend));
    command.StartMonitorDevice();
    ASSERT_TRUE(VirtualFilterDriver::WaitForPendingCount(1)) << "no read after the restart";
    ASSERT_TRUE(VirtualFilterDriver::Feed(Bytes{9}));
    EXPECT_EQ(delivered.WaitFor(2), (std::vector<Bytes>{{1, 2, 3, 4, 5, 6}, {9}}));
    EXPECT_EQ(VirtualFilterDriver::Requests().front(), (DriverRequest{InitCode, init, 3, 3}));
}

// The driver goes away under a pending read: the read fails and ends its
// worker, the partner keeps waiting for its turn, and the stop still returns.
TEST_F(Win32FilterDriverTest, AFailedReadEndsTheLoopQuietlyAndTheStopReturns) {
    ASSERT_TRUE(VirtualFilterDriver::SetReadCode(ReadCode, ReadMode::Pend));
    TuiSTDCommand command(FServices);
    const Bytes init = {1};
    ASSERT_TRUE(command.SetDeviceInitData(init.data(), 1, InitCode, ReadCode, 0, 4));
    command.StartMonitorDevice();
    ASSERT_TRUE(VirtualFilterDriver::WaitForPendingCount(1));
    ASSERT_TRUE(VirtualFilterDriver::Stop());
    command.StopMonitorDevice();
    EXPECT_FALSE(command.IsDeviceExist());
    ASSERT_EQ(VirtualFilterDriver::Install(), "");
}

} // namespace
} // namespace zq::test
