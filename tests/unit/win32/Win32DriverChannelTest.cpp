// The filter-driver channel on Windows (wine) without the driver (the virtual
// filter driver stopped): requests report it not ready, the loop stays off, the
// installation finds nothing. The overlapped request path is run over the pipe
// file system.
#include "FolderPlatform.h"
#include "devices/vfilter/VirtualFilterDriver.h"
#include "driver/CpiTransfer.h"
#include "driver/TuiSTDCommand.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <thread>
#include <vector>

namespace zq::test {
namespace {

using win32::UniqueHandle;
using win32::Win32DriverControl;

class Win32DriverChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(devices::VirtualFilterDriver::Stop()) << "the virtual filter driver runs on";
    }

    TempFolder FFolder;
    FolderPlatform FWindows{FFolder.WithSeparator()};
    win32::Win32Platform& FPlatform = FWindows.Windows();
    Platform& FServices = FWindows.Platform();
};

TEST_F(Win32DriverChannelTest, WithoutTheDriverRequestsAreNotReadyAndNothingChanges) {
    FFolder.Write("config.ini", "[usbdevicelist]\r\nid1=USB\\VID_FFFF&PID_FFFE\r\n"
                                "[devicelist]\r\nid1=HID\\VID_FFFF&PID_FFFE\r\n");
    TuiSTDCommand command(FServices);
    EXPECT_EQ(command.DevicePath(), u"\\\\.\\usbqfrt00001");
    EXPECT_EQ(command.GetUSBDeviceList().size(), 1u);

    std::vector<std::uint8_t> buffer = {1, 2, 3};
    EXPECT_EQ(command.DeviceRW(buffer.data(), 3, IOCTL_SET_CURRENT_CPI), ERROR_NOT_READY_);
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE(command.IsDeviceExist());
    CPI_UNIT unit{};
    EXPECT_EQ(SendCPIUnit(command, unit), ERROR_NOT_READY_);
    EXPECT_EQ(SendCurrentCpi(command, 1), ERROR_NOT_READY_);

    command.HidInstallDriver(true);
    command.HidInstallDriver(false);
    EXPECT_FALSE(command.IsHIDDeviceExist());
    EXPECT_FALSE(command.ISHIDDeviceExist(u"HID\\VID_FFFF&PID_FFFE"));

    // The read handle does not open either: the loop stays off and ends quietly.
    ASSERT_TRUE(command.SetDeviceInitData(buffer.data(), 3, DriverRequestCode(0x2010),
                                          DriverRequestCode(0x2011), 8, 8));
    command.StartMonitorDevice();
    command.StopMonitorDevice();
    command.StartMonitorDevice();
}

// Events and their waits, in the order the monitor loop relies on.
TEST(Win32DriverControl, TheFirstSetEventWinsAndResetEventsStayUnset) {
    ASSERT_TRUE(devices::VirtualFilterDriver::Stop()) << "the virtual filter driver runs on";
    Win32DriverControl control;
    auto a = control.NewEvent();
    auto b = control.NewEvent();
    IDriverEvent* const both[] = {a.get(), b.get()};
    EXPECT_FALSE(a->IsSet());
    b->Set();
    EXPECT_EQ(control.WaitForAny(both, DriverWaitForever), 1u);
    a->Set();
    EXPECT_EQ(control.WaitForAny(both, DriverWaitForever), 0u);
    a->Reset();
    EXPECT_FALSE(a->IsSet());
    EXPECT_TRUE(b->IsSet());

    b->Reset();
    std::thread setter([&] { a->Set(); });
    EXPECT_EQ(control.WaitForAny(both, DriverWaitForever), 0u);
    setter.join();
    a->Reset();
    EXPECT_EQ(control.WaitForAny(both, 0), 2u); // none set in time
    EXPECT_EQ(control.OpenOverlapped(u"\\\\.\\usbqfrt00001"), nullptr);
    EXPECT_EQ(control.Open(u"\\\\.\\usbqfrt00001"), nullptr);
}

// The pipe file system stands in for the control device: waiting for an
// instance of a pipe is a request that stays under way until one listens.
// (Wine does not cancel such a wait, so the stop is tried on one that ended.)
class BusyPipe {
public:
    BusyPipe()
        : FName(L"zq-driver-test-" + std::to_wstring(::GetCurrentProcessId())), FServer(Create(0)),
          FClient(::CreateFileW(Path().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr)),
          FListened(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    bool Busy() const { return FServer && FClient && FListened; }
    // A second instance, listening for the next client.
    bool Listen() {
        FSecond = Create(FILE_FLAG_OVERLAPPED);
        FListen.hEvent = FListened.Get();
        return !::ConnectNamedPipe(FSecond.Get(), &FListen) && ::GetLastError() == ERROR_IO_PENDING;
    }

    // FSCTL_PIPE_WAIT and its request: wait for ever for the pipe's name.
    static constexpr std::uint32_t WaitCode = 0x00110018;
    struct WaitRequest {
        LARGE_INTEGER Timeout{};
        ULONG NameLength = 0;
        BOOLEAN TimeoutSpecified = FALSE;
        WCHAR Name[64] = {};
    };
    WaitRequest Request() const {
        WaitRequest request;
        request.Timeout.QuadPart = 0x7FFFFFFFFFFFFFFF;
        request.TimeoutSpecified = TRUE;
        request.NameLength = static_cast<ULONG>(FName.size() * sizeof(WCHAR));
        FName.copy(request.Name, FName.size());
        return request;
    }
    std::uint32_t RequestSize() const {
        return static_cast<std::uint32_t>(offsetof(WaitRequest, Name) +
                                          FName.size() * sizeof(WCHAR));
    }

private:
    std::wstring Path() const { return L"\\\\.\\pipe\\" + FName; }
    UniqueHandle Create(DWORD flags) const {
        return UniqueHandle(::CreateNamedPipeW(Path().c_str(), PIPE_ACCESS_DUPLEX | flags,
                                               PIPE_TYPE_BYTE | PIPE_WAIT, PIPE_UNLIMITED_INSTANCES,
                                               512, 512, 0, nullptr));
    }

    std::wstring FName;
    UniqueHandle FServer;
    UniqueHandle FClient;
    UniqueHandle FListened;
    OVERLAPPED FListen{};
    UniqueHandle FSecond; // last: its pending listen ends before the event goes
};

TEST(Win32DriverControl, ARequestUnderWayIsCollectedAndAStopWinsOverAnEndedOne) {
    BusyPipe pipe;
    ASSERT_TRUE(pipe.Busy());
    Win32DriverControl control;
    auto device = control.OpenOverlapped(u"\\\\.\\pipe\\");
    ASSERT_NE(device, nullptr);
    auto stop = control.NewEvent();
    EXPECT_EQ(device->WaitRequest(*stop, DriverWaitForever).Error,
              ERROR_INVALID_PARAMETER_); // nothing started

    // Under way until an instance listens, then collected.
    auto request = pipe.Request();
    ASSERT_EQ(device->StartRequest(BusyPipe::WaitCode, &request, pipe.RequestSize(), nullptr, 0),
              ERROR_IO_PENDING_);
    ASSERT_TRUE(pipe.Listen());
    DriverRequestResult result = device->WaitRequest(*stop, DriverWaitForever);
    EXPECT_EQ(result.Status, DriverRequestStatus::Completed);
    EXPECT_EQ(result.Error, 0u);
    EXPECT_EQ(result.BytesReturned, 0u);

    // Ended at once, but the stop was set: the stop wins.
    const std::uint32_t started =
        device->StartRequest(BusyPipe::WaitCode, &request, pipe.RequestSize(), nullptr, 0);
    ASSERT_TRUE(started == 0 || started == ERROR_IO_PENDING_) << started;
    stop->Set();
    EXPECT_EQ(device->WaitRequest(*stop, DriverWaitForever).Status, DriverRequestStatus::Stopped);

    // A request that fails at once leaves nothing under way.
    EXPECT_NE(device->StartRequest(0x00110FFF, nullptr, 0, nullptr, 0), 0u);
    EXPECT_EQ(device->WaitRequest(*stop, DriverWaitForever).Error, ERROR_INVALID_PARAMETER_);
}

TEST(Win32DriverControl, ARequestThatACancelDoesNotEndIsLetGoAfterTheWaitGiven) {
    // Wine leaves a pipe wait under way when it is cancelled, like a driver that
    // completes its requests only when the handle closes.
    BusyPipe pipe;
    ASSERT_TRUE(pipe.Busy());
    Win32DriverControl control;
    auto device = control.OpenOverlapped(u"\\\\.\\pipe\\");
    ASSERT_NE(device, nullptr);
    auto stop = control.NewEvent();
    auto request = pipe.Request();
    ASSERT_EQ(device->StartRequest(BusyPipe::WaitCode, &request, pipe.RequestSize(), nullptr, 0),
              ERROR_IO_PENDING_);
    request = {}; // the device keeps its own copy of what it sends
    stop->Set();
    const DriverRequestResult result = device->WaitRequest(*stop, 50);
    EXPECT_NE(result.Status, DriverRequestStatus::Completed);
    // Let go or ended, the device is done with it and closes without waiting.
    device.reset();
}

} // namespace
} // namespace zq::test
