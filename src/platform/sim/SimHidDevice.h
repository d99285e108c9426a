#pragma once
// An open handle to an interface of a simulated mouse. Input reports queue on
// the handle as the HID class keeps them for each reader; each queued report is
// announced to the loop until the reader has taken it, delivered it and come
// back for the next one. A handle opened for reading is announced until its
// reader waits on its first read, so a world with new readers is quiet only once
// they all wait.

#include "platform/HidBus.h"

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

namespace zq::sim {

class SimMouse;

class SimHidDevice : public IHidDevice {
public:
    SimHidDevice(SimMouse& mouse, std::size_t collection, bool overlapped);
    ~SimHidDevice() override;
    SimHidDevice(const SimHidDevice&) = delete;
    SimHidDevice& operator=(const SimHidDevice&) = delete;

    std::optional<HidCaps> Caps() override;
    std::uint32_t SetFeature(std::span<const std::uint8_t> report) override;
    std::uint32_t GetFeature(std::span<std::uint8_t> report) override;
    std::uint32_t Write(std::span<const std::uint8_t> report) override;
    std::uint32_t StartRead(std::span<std::uint8_t> buffer) override;
    HidReadResult WaitRead(IHidStopSignal& stop, std::uint32_t timeoutMs) override;
    std::uint32_t MaxInputUsageListLength() override;
    bool GetInputUsages(std::span<const std::uint8_t> report, std::span<std::uint16_t> usages,
                        std::size_t& count) override;

private:
    friend class SimMouse;

    struct Entry {
        std::vector<std::uint8_t> Report;
        std::uint32_t Error = 0;
    };

    // With the bus's lock held.
    bool Reads() const { return FOverlapped && !FIdle && !FDisconnected; }
    void EndOwedLocked();
    void DropQueueLocked();
    // With the bus's lock held: 0 and the size of the report a feature buffer
    // addresses, or the error the system answers for the buffer.
    std::uint32_t FeatureReportSize(std::span<const std::uint8_t> buffer, std::size_t& size) const;

    SimMouse& FMouse;
    const std::size_t FCollection;
    const bool FOverlapped;

    // Under the bus's lock.
    bool FDisconnected = false;
    bool FIdle = false; // a read could not be started: nothing is read any more
    bool FDisconnectAnnounced = false;
    bool FStartAnnounced = false; // opened for reading, no read started yet
    int FOwed = 0;                // taken by the reader, announced until it comes back
    std::deque<Entry> FQueue;
    std::span<std::uint8_t> FBuffer;
};

} // namespace zq::sim
