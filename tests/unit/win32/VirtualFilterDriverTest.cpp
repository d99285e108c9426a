// The virtual filter driver's own behaviours, on a raw overlapped handle, so
// tests of the program can rely on them: reads answered at once or held until
// fed, cancellation honoured or ignored until the handle closes.
#include "VirtualFilterFixture.h"
#include "platform/win32/Handles.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace zq::test {
namespace {

using devices::ReadMode;
using devices::VirtualFilterDriver;
using win32::UniqueHandle;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t ReadCode = 0x80008044;
constexpr std::uint32_t STATUS_CANCELLED_ = 0xC0000120;

// One overlapped request on the filter device.
class RawRequest {
public:
    RawRequest()
        : FDevice(::CreateFileW(L"\\\\.\\usbqfrt00001", GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr)),
          FDone(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        FOverlapped.hEvent = FDone.Get();
    }
    bool Opened() const { return FDevice && FDone; }
    // ERROR_IO_PENDING or the request's result when it ended at once.
    DWORD Start() {
        if (::DeviceIoControl(FDevice.Get(), ReadCode, nullptr, 0, FOutput.data(),
                              static_cast<DWORD>(FOutput.size()), nullptr, &FOverlapped))
            return 0;
        return ::GetLastError();
    }
    bool Cancel() { return ::CancelIoEx(FDevice.Get(), &FOverlapped) != FALSE; }
    void Close() { FDevice.Reset(); }
    // The request's end: its status and the bytes it returned (bounded wait).
    std::uint32_t Wait(Bytes& output) {
        if (::WaitForSingleObject(FDone.Get(), 10000) != WAIT_OBJECT_0)
            return WAIT_TIMEOUT;
        output.assign(FOutput.begin(), FOutput.begin() + FOverlapped.InternalHigh);
        return static_cast<std::uint32_t>(FOverlapped.Internal);
    }

private:
    UniqueHandle FDevice;
    UniqueHandle FDone; // last: the request has ended before it goes
    OVERLAPPED FOverlapped{};
    std::array<std::uint8_t, 4> FOutput{};
};

using VirtualFilterDriverTest = VirtualFilterFixture;

TEST_F(VirtualFilterDriverTest, ReadsEndAtOnceEmptyOrWithABlockFedBefore) {
    ASSERT_TRUE(VirtualFilterDriver::SetReadCode(ReadCode, ReadMode::Empty));
    RawRequest empty;
    ASSERT_TRUE(empty.Opened());
    const DWORD started = empty.Start();
    EXPECT_TRUE(started == 0 || started == ERROR_IO_PENDING) << started;
    Bytes output;
    EXPECT_EQ(empty.Wait(output), 0u);
    EXPECT_TRUE(output.empty());

    ASSERT_TRUE(VirtualFilterDriver::SetReadCode(ReadCode, ReadMode::Pend));
    ASSERT_TRUE(VirtualFilterDriver::Feed(Bytes{1, 2, 3, 4, 5}));
    RawRequest fed;
    ASSERT_TRUE(fed.Opened());
    fed.Start();
    EXPECT_EQ(fed.Wait(output), 0u);
    EXPECT_EQ(output, (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(VirtualFilterDriver::Requests().size(), 2u);
}

TEST_F(VirtualFilterDriverTest, APendingReadEndsWhenCancelled) {
    ASSERT_TRUE(VirtualFilterDriver::SetReadCode(ReadCode, ReadMode::Pend));
    RawRequest read;
    ASSERT_TRUE(read.Opened());
    ASSERT_EQ(read.Start(), static_cast<DWORD>(ERROR_IO_PENDING));
    EXPECT_EQ(VirtualFilterDriver::PendingCount(), 1u);
    ASSERT_TRUE(read.Cancel());
    Bytes output;
    EXPECT_EQ(read.Wait(output), STATUS_CANCELLED_);
    EXPECT_EQ(VirtualFilterDriver::PendingCount(), 0u);
}

TEST_F(VirtualFilterDriverTest, IgnoringCancellationAReadEndsOnlyWithItsHandle) {
    ASSERT_TRUE(VirtualFilterDriver::SetReadCode(ReadCode, ReadMode::Pend));
    ASSERT_TRUE(VirtualFilterDriver::IgnoreCancel(true));
    RawRequest read;
    ASSERT_TRUE(read.Opened());
    ASSERT_EQ(read.Start(), static_cast<DWORD>(ERROR_IO_PENDING));
    read.Cancel();
    // The cancellation reached the driver before this request did.
    EXPECT_EQ(VirtualFilterDriver::PendingCount(), 1u);
    read.Close();
    Bytes output;
    EXPECT_EQ(read.Wait(output), STATUS_CANCELLED_);
    EXPECT_EQ(VirtualFilterDriver::PendingCount(), 0u);
}

} // namespace
} // namespace zq::test
