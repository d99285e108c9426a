// The Windows HID bus and device notifications under wine, where no HID device
// is present: the component's defaults, the all-or-nothing binding, the
// overlapped read with its stop (over a pipe standing in for a device), and
// device-change messages built by hand.
#include "hid/TuiHIDData.h"
#include "hid/TuiHIDEvent.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32HidBus.h"
#include "platform/win32/Win32Platform.h"

#include <dbt.h>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

namespace zq::test {
namespace {

using win32::UniqueHandle;
using win32::Win32HidBus;
using win32::Win32Platform;

std::unique_ptr<THIDDataParam> VendorTransfer() {
    auto param = std::make_unique<THIDDataParam>();
    param->UsageAndPage = VendorUsageAndPage;
    param->Data.ReportID = 2;
    param->Data.DATASIZE = 16;
    return param;
}

void ExpectNoDevice(Platform& platform) {
    TuiHIDData data(platform);
    auto param = VendorTransfer();
    EXPECT_FALSE(data.IsDeviceExist(*param));
    data.HidFindAndReadDevice(VendorUsageAndPage, u"*");
    EXPECT_EQ(data.ReaderCount(), 0u);
    EXPECT_FALSE(data.HidFindAndWriteDevice(*param));
    EXPECT_FALSE(data.HidFindAndWriteDeviceBYHID(*param));
    EXPECT_NE(data.HidFindAndSetFeatureReport(*param), 0u);
    EXPECT_NE(data.HidFindAndGetFeatureReport(*param), 0u);
    data.HidStopRead();
}

TEST(Win32Hid, WithoutTheMouseEveryOperationGivesItsDefault) {
    Win32Platform platform;
    EXPECT_TRUE(platform.Hid.Available());
    EXPECT_EQ(platform.Hid.InterfaceClass(), HidInterfaceClassGuid);
    ExpectNoDevice(platform.Platform());
}

TEST(Win32Hid, AMissingLibraryMeansNoInterfaceAtAll) {
    Win32HidBus noSetup(L"zq-missing-setup.dll", L"hid.dll");
    Win32HidBus noHid(L"setupapi.dll", L"zq-missing-hid.dll");
    for (Win32HidBus* bus : {&noSetup, &noHid}) {
        EXPECT_FALSE(bus->Available());
        EXPECT_EQ(bus->InterfaceClass(), HidInterfaceClassGuid);
        EXPECT_TRUE(bus->Enumerate(HidInterfaceClassGuid).empty());
        EXPECT_EQ(bus->Open(u"\\\\.\\pipe\\anything", false), nullptr);
    }
    Win32Platform platform;
    Platform withoutHid{.Loop = platform.Loop,
                        .Desktop = platform.Desktop,
                        .System = platform.System,
                        .Ini = platform.Ini,
                        .Registry = platform.Registry,
                        .Audio = platform.Audio,
                        .Driver = platform.Driver,
                        .Setup = platform.Setup,
                        .Locales = platform.Locales,
                        .Hid = noHid,
                        .DeviceNotifications = platform.DeviceNotifications};
    ExpectNoDevice(withoutHid);
}

// A named pipe takes the place of a device: the read path does not care.
class PipeDevice {
public:
    PipeDevice()
        : FName(L"\\\\.\\pipe\\zq-hid-test-" + std::to_wstring(::GetCurrentProcessId())),
          FServer(::CreateNamedPipeW(FName.c_str(), PIPE_ACCESS_DUPLEX,
                                     PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096,
                                     4096, 0, nullptr)) {}
    std::u16string Path() const { return win32::FromWide(FName); }
    // After the client opened its end.
    bool Accept() {
        return ::ConnectNamedPipe(FServer.Get(), nullptr) ||
               ::GetLastError() == ERROR_PIPE_CONNECTED;
    }
    void Send(const std::string& bytes) {
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(FServer.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                &written, nullptr));
    }

private:
    std::wstring FName;
    UniqueHandle FServer;
};

TEST(Win32Hid, ReadsWaitWithTheStopSignalAndAStoppedReadIsCancelled) {
    PipeDevice pipe;
    Win32HidBus bus;
    auto device = bus.Open(pipe.Path(), true);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(pipe.Accept());
    EXPECT_FALSE(device->Caps()); // not a HID interface
    EXPECT_EQ(device->MaxInputUsageListLength(), 0u);
    auto stop = bus.CreateStopSignal();
    EXPECT_FALSE(stop->IsSet());

    std::uint8_t buffer[16] = {};
    const std::uint32_t started = device->StartRead(buffer);
    ASSERT_TRUE(started == 0 || started == HidError::IoPending) << started;
    EXPECT_EQ(device->WaitRead(*stop, 0).Status, HidReadStatus::TimedOut);
    pipe.Send("\x07\x01\x02");
    const HidReadResult read = device->WaitRead(*stop);
    EXPECT_EQ(read.Status, HidReadStatus::Completed);
    EXPECT_EQ(read.Error, 0u);
    EXPECT_EQ(read.BytesRead, 3u);
    EXPECT_EQ(buffer[0], 7);

    // A read under way ends with the stop, set from another thread.
    ASSERT_EQ(device->StartRead(buffer), HidError::IoPending);
    std::thread stopper([&] { stop->Set(); });
    EXPECT_EQ(device->WaitRead(*stop).Status, HidReadStatus::Stopped);
    stopper.join();
    EXPECT_TRUE(stop->IsSet());
    EXPECT_TRUE(stop->Wait(0));

    // A read still under way when the handle closes is cancelled first.
    auto fresh = bus.CreateStopSignal();
    ASSERT_EQ(device->StartRead(buffer), HidError::IoPending);
    EXPECT_EQ(device->WaitRead(*fresh, 1).Status, HidReadStatus::TimedOut);
    device.reset();
    EXPECT_EQ(bus.Open(u"\\\\.\\pipe\\zq-no-such-pipe", true), nullptr);
}

class Win32HidEventTest : public ::testing::Test {
protected:
    void Record(TuiHIDEvent& component) {
        component.OnDeviceArrival = [this](TuiHIDEvent&) { Events.push_back("arrival"); };
        component.OnDeviceRemove = [this](TuiHIDEvent&) { Events.push_back("remove"); };
        component.OnDeviceChange = [this](TuiHIDEvent&) { Events.push_back("change"); };
    }
    LRESULT Send(TuiHIDEvent& component, WPARAM event, const void* record) {
        return ::SendMessageW(reinterpret_cast<HWND>(component.Handle()), WM_DEVICECHANGE, event,
                              reinterpret_cast<LPARAM>(record));
    }

    Win32Platform Platform;
    std::vector<std::string> Events;
};

TEST_F(Win32HidEventTest, TheStartTimerRaisesOneArrivalAfterTheFirstChange) {
    TuiHIDEvent component(Platform.Platform());
    Record(component);
    component.OnDeviceArrival = [&](TuiHIDEvent&) {
        Events.push_back("arrival");
        Platform.Loop.Terminate();
    };
    ASSERT_NE(component.Handle(), 0u);
    Timer giveUp(Platform.Loop, 20000, true);
    giveUp.OnTimer = [&] { Platform.Loop.Terminate(); };
    Platform.Loop.Run();
    EXPECT_EQ(Events, (std::vector<std::string>{"change", "arrival"}));
}

TEST_F(Win32HidEventTest, HandBuiltMessagesRaiseEventsByDeviceType) {
    TuiHIDEvent component(Platform.Platform());
    Platform.Loop.ProcessMessages(); // the posted change
    Record(component);

    DEV_BROADCAST_DEVICEINTERFACE_W hid{};
    hid.dbcc_size = sizeof(hid);
    hid.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;

    Send(component, DBT_DEVICEARRIVAL, &hid);
    Send(component, DBT_DEVICEARRIVAL, &volume);
    Send(component, DBT_DEVICEREMOVECOMPLETE, &hid);
    Send(component, DBT_DEVICEREMOVECOMPLETE, &volume);
    Send(component, DBT_DEVNODES_CHANGED, nullptr);
    Send(component, DBT_DEVICEARRIVAL, nullptr); // no record: nothing to tell
    EXPECT_EQ(Events, (std::vector<std::string>{"arrival", "remove", "change"}));
}

TEST_F(Win32HidEventTest, AnErrorInAHandlerDoesNotStopTheComponent) {
    TuiHIDEvent component(Platform.Platform());
    int arrivals = 0;
    component.OnDeviceArrival = [&](TuiHIDEvent&) {
        ++arrivals;
        throw std::runtime_error("arrival failed");
    };
    DEV_BROADCAST_DEVICEINTERFACE_W hid{};
    hid.dbcc_size = sizeof(hid);
    hid.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    Send(component, DBT_DEVICEARRIVAL, &hid);
    Send(component, DBT_DEVICEARRIVAL, &hid);
    Platform.Loop.ProcessMessages(); // the errors reach the loop's handler
    EXPECT_EQ(arrivals, 2);
}

} // namespace
} // namespace zq::test
