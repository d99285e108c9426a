#pragma once
// The HID bus as the program needs it: the HID interfaces present, their
// top-level collections, feature and output transfers, and input-report reads
// that wait on a stop signal together with the read, so an idle reader costs
// nothing and a stop reaches it at once.

#include "platform/Guid.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zq {

// The platform's error codes that the HID transport hands on or acts upon; every
// implementation answers with these values.
struct HidError {
    static constexpr std::uint32_t Success = 0;
    static constexpr std::uint32_t FileNotFound = 2;
    // What a read on a removed interface answers under some HID class drivers.
    static constexpr std::uint32_t AccessDenied = 5;
    static constexpr std::uint32_t InvalidHandle = 6;
    static constexpr std::uint32_t GenFailure = 31;
    static constexpr std::uint32_t InvalidParameter = 87;
    static constexpr std::uint32_t TimedOut = 121; // a transfer the device never answered
    static constexpr std::uint32_t OperationAborted = 995;
    static constexpr std::uint32_t IoPending = 997;
    static constexpr std::uint32_t DeviceNotConnected = 1167;
    static constexpr std::uint32_t InvalidUserBuffer = 1784;
};

inline constexpr std::uint32_t InfiniteWait = 0xFFFFFFFF;

// An interface of the HID class as the device setup reports it.
struct HidInterface {
    std::u16string Path;
    // In the platform's order; empty when they could not be read.
    std::vector<std::u16string> HardwareIds;
};

// The top-level collection of an opened interface; lengths count the report id byte.
struct HidCaps {
    std::uint16_t UsagePage = 0;
    std::uint16_t Usage = 0;
    std::uint16_t InputReportByteLength = 0;
    std::uint16_t OutputReportByteLength = 0;
    std::uint16_t FeatureReportByteLength = 0;
    bool operator==(const HidCaps&) const = default;
};

// Manual-reset signal that ends the waits of readers. Once set it stays set.
class IHidStopSignal {
public:
    virtual ~IHidStopSignal() = default;
    virtual void Set() = 0;
    virtual bool IsSet() const = 0;
    // Waits until the signal is set, at most timeoutMs; true when it is set.
    virtual bool Wait(std::uint32_t timeoutMs) = 0;
};

enum class HidReadStatus {
    Completed, // the read ended; Error and BytesRead tell how
    Stopped,   // the stop signal was set; the read was cancelled and has ended
    TimedOut,  // neither within the time given; the read is still under way
};

struct HidReadResult {
    HidReadStatus Status = HidReadStatus::Completed;
    std::uint32_t Error = HidError::Success;
    std::uint32_t BytesRead = 0;
};

// One open handle to a HID interface. Closing it (destruction) cancels a read
// still under way and waits for it to end, so the read's buffer may go after it.
class IHidDevice {
public:
    virtual ~IHidDevice() = default;

    // The top-level collection; nullopt when the attributes, the parser data or
    // the capabilities cannot be read.
    virtual std::optional<HidCaps> Caps() = 0;

    // Synchronous transfers of whole reports (report id first): 0 or an error code.
    virtual std::uint32_t SetFeature(std::span<const std::uint8_t> report) = 0;
    // The buffer holds the request (report id first) and receives the report.
    virtual std::uint32_t GetFeature(std::span<std::uint8_t> report) = 0;
    virtual std::uint32_t Write(std::span<const std::uint8_t> report) = 0;

    // Input reports, on a handle opened for overlapped reads, one read at a time.
    // Starts a read into buffer, which must stay valid until the read has ended.
    // 0 or IoPending: the read is under way; any other code: no read was started.
    virtual std::uint32_t StartRead(std::span<std::uint8_t> buffer) = 0;
    // Waits for the read started last together with the stop signal (made by the
    // same bus). A set signal wins over a read that completed at the same time.
    virtual HidReadResult WaitRead(IHidStopSignal& stop,
                                   std::uint32_t timeoutMs = InfiniteWait) = 0;

    // The collection's report parser: how many usages an input report can hold
    // over all usage pages (0 when the parser data is unavailable), and the usages
    // that are on in a whole input report, without their pages. False when the
    // report cannot be parsed or holds more usages than fit.
    virtual std::uint32_t MaxInputUsageListLength() = 0;
    virtual bool GetInputUsages(std::span<const std::uint8_t> report,
                                std::span<std::uint16_t> usages, std::size_t& count) = 0;
};

class IHidBus {
public:
    virtual ~IHidBus() = default;
    // The interface class of HID collections as the platform names it.
    virtual Guid InterfaceClass() = 0;
    // The interfaces of the class that are present now; empty when they cannot be
    // listed (or the platform's HID support is missing).
    virtual std::vector<HidInterface> Enumerate(const Guid& interfaceClass) = 0;
    // Read and write access, shared for reading and writing; null when it fails.
    virtual std::unique_ptr<IHidDevice> Open(const std::u16string& path, bool overlapped) = 0;
    // A new signal, not set.
    virtual std::unique_ptr<IHidStopSignal> CreateStopSignal() = 0;
};

} // namespace zq
