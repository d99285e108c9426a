#pragma once
// The simulated HID bus: the interfaces of the simulated mice that are plugged
// in. Readers' pending work is announced to the loop (a report queued for a
// reader, a reader whose mouse went away), so the loop knows when the world is
// quiet although real reader threads run.

#include "platform/HidBus.h"
#include "platform/sim/SimLog.h"
#include "platform/sim/SimLoop.h"
#include "platform/sim/SimMouse.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace zq::sim {

class SimDeviceNotifications;

class SimHidBus : public IHidBus {
public:
    SimHidBus(SimLoop& loop, SimLog& log);
    ~SimHidBus() override;
    SimHidBus(const SimHidBus&) = delete;
    SimHidBus& operator=(const SimHidBus&) = delete;

    Guid InterfaceClass() override { return HidInterfaceClassGuid; }
    std::vector<HidInterface> Enumerate(const Guid& interfaceClass) override;
    std::unique_ptr<IHidDevice> Open(const std::u16string& path, bool overlapped) override;
    std::unique_ptr<IHidStopSignal> CreateStopSignal() override;

    // A new mouse, plugged in (arrivals are notified like any plug).
    SimMouse& AddMouse(SimMouseConfig config = SimMouseConfig::Default());
    std::size_t OpenHandleCount() const;
    // Makes the device setup fail to list interfaces.
    void SetEnumerationFails(bool fails);
    // Where plug and unplug are announced (the world wires its notifications).
    void SetNotifications(SimDeviceNotifications* notifications) { FNotifications = notifications; }

private:
    friend class SimMouse;
    friend class SimHidDevice;
    friend class SimStopSignal;

    SimLoop& FLoop;
    SimLog& FLog;
    SimDeviceNotifications* FNotifications = nullptr;

    // One lock and one wake-up for the whole bus: readers wait for their
    // handle's reports and their stop signal together.
    mutable std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<std::unique_ptr<SimMouse>> FMice;
    bool FEnumerationFails = false;
};

// The readers' stop signal in the simulated world.
class SimStopSignal : public IHidStopSignal {
public:
    explicit SimStopSignal(SimHidBus& bus) : FBus(bus) {}
    void Set() override;
    bool IsSet() const override { return FSet.load(std::memory_order_acquire); }
    bool Wait(std::uint32_t timeoutMs) override;

private:
    SimHidBus& FBus;
    std::atomic<bool> FSet{false}; // written with the bus's lock held
};

} // namespace zq::sim
