// Device notifications: the events after creation, plug and unplug of a
// simulated mouse, other broadcasts, and errors of the handlers.
#include "hid/TuiHIDEvent.h"
#include "support/HidWorld.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zq::test {
namespace {

class TuiHIDEventTest : public ::testing::Test {
protected:
    void Record(TuiHIDEvent& component) {
        component.OnDeviceArrival = [this](TuiHIDEvent&) { Add("arrival"); };
        component.OnDeviceRemove = [this](TuiHIDEvent&) { Add("remove"); };
        component.OnDeviceChange = [this](TuiHIDEvent&) { Add("change"); };
    }
    void Add(const std::string& event) {
        Events.push_back("t=" + std::to_string(World.Loop.NowMs()) + " " + event);
    }

    HidWorld Hid;
    sim::SimWorld& World = Hid.World;
    std::vector<std::string> Events;
};

TEST_F(TuiHIDEventTest, AfterCreationOneChangeThenTheStartArrival) {
    TuiHIDEvent component(World.Platform());
    Record(component);
    EXPECT_EQ(component.UsbGuid(), u"{4d1e55b2-f16f-11cf-88cb-001111000030}");
    World.Loop.AdvanceBy(10000);
    EXPECT_EQ(Events, (std::vector<std::string>{"t=0 change", "t=1500 arrival"}));
}

TEST_F(TuiHIDEventTest, PlugAndUnplugRaiseOneEventPerInterface) {
    TuiHIDEvent component(World.Platform());
    World.Loop.AdvanceBy(2000);
    Record(component);
    auto& mouse = World.Hid.AddMouse(); // three collections
    World.Loop.RunUntilQuiet();
    mouse.Unplug();
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(Events, (std::vector<std::string>{
                          "t=2000 arrival", "t=2000 arrival", "t=2000 arrival", "t=2000 change",
                          "t=2000 remove", "t=2000 remove", "t=2000 remove", "t=2000 change"}));
}

TEST_F(TuiHIDEventTest, OnlyDeviceInterfaceRecordsCountAndChangesNeverLookAtTheirData) {
    TuiHIDEvent component(World.Platform());
    World.Loop.RunUntilQuiet();
    Record(component);
    constexpr std::uint32_t DBT_DEVTYP_VOLUME = 2;
    World.DeviceNotifications.Broadcast(DBT_DEVICEARRIVAL_, DBT_DEVTYP_VOLUME);
    World.DeviceNotifications.Broadcast(DBT_DEVICEREMOVECOMPLETE_, DBT_DEVTYP_VOLUME);
    World.DeviceNotifications.Broadcast(0x8003, DBT_DEVTYP_DEVICEINTERFACE_); // remove pending
    World.DeviceNotifications.Broadcast(DBT_DEVNODES_CHANGED_, 12345);
    World.DeviceNotifications.Broadcast(DBT_DEVICEARRIVAL_, DBT_DEVTYP_DEVICEINTERFACE_);
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(Events, (std::vector<std::string>{"t=0 change", "t=0 arrival"}));
}

TEST_F(TuiHIDEventTest, UnassignedEventsAreSkipped) {
    TuiHIDEvent component(World.Platform());
    World.Hid.AddMouse();
    World.Loop.AdvanceBy(2000);
    EXPECT_TRUE(World.Loop.UnhandledErrors().empty());
}

TEST_F(TuiHIDEventTest, HandlerErrorsReachTheLoopAndTheComponentGoesOn) {
    TuiHIDEvent component(World.Platform());
    int arrivals = 0;
    component.OnDeviceArrival = [&](TuiHIDEvent&) {
        ++arrivals;
        throw std::runtime_error("arrival failed");
    };
    World.Loop.AdvanceBy(1500); // the start arrival, from the timer
    World.DeviceNotifications.Broadcast(DBT_DEVICEARRIVAL_, DBT_DEVTYP_DEVICEINTERFACE_);
    World.DeviceNotifications.Broadcast(DBT_DEVICEARRIVAL_, DBT_DEVTYP_DEVICEINTERFACE_);
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(arrivals, 3);
    EXPECT_EQ(World.Loop.UnhandledErrors(), (std::vector<std::string>(3, "arrival failed")));
}

TEST_F(TuiHIDEventTest, ARejectedRegistrationLeavesTheStartArrivalAndChanges) {
    World.DeviceNotifications.SetRegistrationFails(true);
    TuiHIDEvent component(World.Platform());
    Record(component);
    EXPECT_FALSE(component.RegisterDeviceInterfaceNotification());
    World.Hid.AddMouse();
    World.Loop.AdvanceBy(2000);
    EXPECT_EQ(Events, (std::vector<std::string>{"t=0 change", "t=0 change", "t=0 change",
                                                "t=1500 arrival"}));
}

TEST_F(TuiHIDEventTest, NothingFollowsDestruction) {
    auto component = std::make_unique<TuiHIDEvent>(World.Platform());
    Record(*component);
    World.Hid.AddMouse();
    component.reset();
    World.Loop.AdvanceBy(2000);
    EXPECT_TRUE(Events.empty());
    EXPECT_EQ(World.DeviceNotifications.WindowCount(), 0u);
}

// The handler is the component's to override.
class CountingEvent : public TuiHIDEvent {
public:
    using TuiHIDEvent::TuiHIDEvent;
    int Seen = 0;

protected:
    void DoDeviceChange(const DeviceChangeMessage& message) override {
        ++Seen;
        TuiHIDEvent::DoDeviceChange(message);
    }
};

TEST_F(TuiHIDEventTest, DoDeviceChangeSeesEveryDeviceChangeMessage) {
    CountingEvent component(World.Platform());
    World.DeviceNotifications.Broadcast(0x8003, std::nullopt);
    World.Loop.RunUntilQuiet();
    EXPECT_EQ(component.Seen, 2);
}

} // namespace
} // namespace zq::test
