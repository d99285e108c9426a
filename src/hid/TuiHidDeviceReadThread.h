#pragma once
// A reader of one HID interface: a thread that owns its own handle and report
// buffer, keeps one read under way and waits on it together with the stop
// signal, so it wakes only for a report or a stop. Each report goes to the
// owning TuiHIDData's events, on the main thread unless FastOnData is set.

#include "platform/HidBus.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zq {

class TuiHIDData;
struct TReaderGeneration;

class TuiHidDeviceReadThread {
public:
    // Opens the interface on the caller's thread and starts reading at once. A
    // failed open ends the thread silently at its first read.
    TuiHidDeviceReadThread(TuiHIDData& AHIDData, std::u16string ADeviceID,
                           std::u16string ADevicePath,
                           std::shared_ptr<const TReaderGeneration> generation);
    // Waits for the thread; the generation must have been stopped before.
    ~TuiHidDeviceReadThread();
    TuiHidDeviceReadThread(const TuiHidDeviceReadThread&) = delete;
    TuiHidDeviceReadThread& operator=(const TuiHidDeviceReadThread&) = delete;

    bool Finished() const { return FFinished.load(std::memory_order_acquire); }
    // Still reading this interface for this generation of readers.
    bool Reads(const std::u16string& path, const TReaderGeneration* generation) const {
        return !Finished() && FGeneration.get() == generation && FDevicePath == path;
    }
    // True on the reader's own thread, and on the main thread while it runs this
    // reader's delivery.
    bool IsCurrentThreadInside() const;

private:
    void Execute();
    void ReadLoop();
    bool Terminated() const;
    void Deliver();
    void DeliverReport();
    std::uint32_t ParseButtonUsages();
    void DeviceNotConnected();

    TuiHIDData& FHIDData;
    const std::u16string FDeviceID;
    const std::u16string FDevicePath;
    const std::shared_ptr<const TReaderGeneration> FGeneration;
    std::vector<std::uint8_t>
        FReport; // before the handle: a read may use it until the handle closes
    std::unique_ptr<IHidDevice> FDeviceHandle;
    std::int32_t FInputReportLength = 0;
    std::uint32_t NumBytesRead = 0;
    std::function<void()> FDeliverReport; // made once, handed to Synchronize for every report
    std::atomic<std::thread::id> FDeliveringThread{};
    std::atomic<bool> FFinished{false};
    std::thread FThread; // last: starts once everything above exists
};

} // namespace zq
