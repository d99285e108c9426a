#include "platform/sim/SimHidDevice.h"

#include "platform/sim/SimHidBus.h"
#include "platform/sim/SimMouse.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <utility>

namespace zq::sim {

SimHidDevice::SimHidDevice(SimMouse& mouse, std::size_t collection, bool overlapped)
    : FMouse(mouse), FCollection(collection), FOverlapped(overlapped) {
    // Registered by the bus, which holds its lock here (see SimHidBus::Open).
    if (FOverlapped) {
        FStartAnnounced = true;
        FMouse.FBus.FLoop.BeginActivity();
    }
}

SimHidDevice::~SimHidDevice() {
    std::lock_guard lock(FMouse.FBus.FMutex);
    auto& handles = FMouse.FHandles;
    handles.erase(std::remove(handles.begin(), handles.end(), this), handles.end());
    // Whatever was announced for this handle ends with it.
    EndOwedLocked();
    DropQueueLocked();
    if (FDisconnectAnnounced)
        FMouse.FBus.FLoop.EndActivity();
    if (FStartAnnounced)
        FMouse.FBus.FLoop.EndActivity();
}

void SimHidDevice::EndOwedLocked() {
    for (; FOwed > 0; --FOwed)
        FMouse.FBus.FLoop.EndActivity();
}

void SimHidDevice::DropQueueLocked() {
    for (std::size_t i = 0; i < FQueue.size(); ++i)
        FMouse.FBus.FLoop.EndActivity();
    FQueue.clear();
}

std::optional<HidCaps> SimHidDevice::Caps() {
    const auto& c = FMouse.FConfig.Collections[FCollection];
    if (c.CapsFail)
        return std::nullopt;
    return HidCaps{c.UsagePage, c.Usage, c.InputReportByteLength, c.OutputReportByteLength,
                   c.FeatureReportByteLength};
}

std::uint32_t SimHidDevice::FeatureReportSize(std::span<const std::uint8_t> buffer,
                                              std::size_t& size) const {
    const auto& c = FMouse.FConfig.Collections[FCollection];
    // As the system's class driver: the buffer holds the collection's longest
    // feature report, and the device gets the addressed report's own length.
    if (buffer.empty() || c.FeatureReportByteLength == 0)
        return HidError::InvalidParameter;
    if (buffer.size() < c.FeatureReportByteLength)
        return HidError::InvalidUserBuffer;
    size = buffer.size();
    if (c.FeatureReports.empty())
        return HidError::Success;
    const auto report = std::find_if(c.FeatureReports.begin(), c.FeatureReports.end(),
                                     [&](const auto& r) { return r.first == buffer[0]; });
    if (report == c.FeatureReports.end())
        return HidError::InvalidParameter;
    size = report->second;
    return HidError::Success;
}

std::uint32_t SimHidDevice::SetFeature(std::span<const std::uint8_t> buffer) {
    std::span<const std::uint8_t> report;
    {
        std::lock_guard lock(FMouse.FBus.FMutex);
        if (FDisconnected)
            return HidError::DeviceNotConnected;
        std::size_t size = 0;
        if (const std::uint32_t error = FeatureReportSize(buffer, size))
            return error;
        if (FMouse.FFeatureError != 0)
            return FMouse.FFeatureError;
        report = buffer.first(size);
        FMouse.ReceiveFeatureLocked(FCollection, report);
    }
    FMouse.FBus.FLog.Add("hid-set", HexBytes(report));
    return HidError::Success;
}

std::uint32_t SimHidDevice::GetFeature(std::span<std::uint8_t> buffer) {
    std::vector<std::uint8_t> reply;
    std::size_t size = 0;
    {
        std::lock_guard lock(FMouse.FBus.FMutex);
        if (FDisconnected)
            return HidError::DeviceNotConnected;
        if (const std::uint32_t error = FeatureReportSize(buffer, size))
            return error;
        if (FMouse.FFeatureError != 0)
            return FMouse.FFeatureError;
        if (FMouse.FGetFeatureError != 0)
            return FMouse.FGetFeatureError;
        FMouse.FFeatureRequests.emplace_back(buffer.begin(), buffer.begin() + size);
        reply = FMouse.AnswerFeatureLocked(FCollection, buffer[0], size);
    }
    // The platform hands over the report's length, whatever the device sent,
    // and zeros after it.
    std::fill(buffer.begin(), buffer.end(), 0);
    std::copy_n(reply.begin(), std::min(reply.size(), size), buffer.begin());
    FMouse.FBus.FLog.Add("hid-get", HexBytes(buffer.first(size)));
    return HidError::Success;
}

std::uint32_t SimHidDevice::Write(std::span<const std::uint8_t> report) {
    {
        std::lock_guard lock(FMouse.FBus.FMutex);
        if (FDisconnected)
            return HidError::DeviceNotConnected;
        const auto& c = FMouse.FConfig.Collections[FCollection];
        if (report.empty() || c.OutputReportByteLength == 0)
            return HidError::InvalidParameter;
        // Output reports go in buffers of the collection's output length.
        if (report.size() < c.OutputReportByteLength)
            return HidError::InvalidUserBuffer;
        FMouse.FOutputReports.emplace_back(report.begin(), report.end());
    }
    FMouse.FBus.FLog.Add("hid-write", HexBytes(report));
    return HidError::Success;
}

std::uint32_t SimHidDevice::StartRead(std::span<std::uint8_t> buffer) {
    // The reader is back for the next report: what it took before is done, and
    // what comes next is done once it waits. The loop hears of it after the
    // lock is released, so the main thread does not wake into a held lock.
    int done = 0;
    const std::uint32_t result = [&] {
        std::lock_guard lock(FMouse.FBus.FMutex);
        done = std::exchange(FOwed, 0);
        if (FStartAnnounced) {
            FStartAnnounced = false;
            ++FOwed;
        }
        if (FDisconnected) {
            if (FDisconnectAnnounced) {
                FDisconnectAnnounced = false;
                ++FOwed;
            }
            return FMouse.FConfig.RemovedReadError;
        }
        if (!FOverlapped || buffer.empty()) {
            // Nothing can ever be read here; the reader only waits to be stopped.
            FIdle = true;
            DropQueueLocked();
            done += std::exchange(FOwed, 0);
            return FOverlapped ? HidError::InvalidUserBuffer : HidError::InvalidParameter;
        }
        FBuffer = buffer;
        return HidError::IoPending;
    }();
    for (; done > 0; --done)
        FMouse.FBus.FLoop.EndActivity();
    return result;
}

HidReadResult SimHidDevice::WaitRead(IHidStopSignal& stop, std::uint32_t timeoutMs) {
    auto* signal = dynamic_cast<SimStopSignal*>(&stop);
    if (!signal)
        throw std::invalid_argument("a stop signal of another bus");
    std::unique_lock lock(FMouse.FBus.FMutex);
    EndOwedLocked();
    const auto ready = [&] { return signal->IsSet() || FDisconnected || !FQueue.empty(); };
    if (timeoutMs == InfiniteWait)
        FMouse.FBus.FChanged.wait(lock, ready);
    else if (!FMouse.FBus.FChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return HidReadResult{HidReadStatus::TimedOut, 0, 0};

    if (signal->IsSet()) {
        FBuffer = {};
        return HidReadResult{HidReadStatus::Stopped, 0, 0};
    }
    if (FDisconnected) {
        FBuffer = {};
        if (FDisconnectAnnounced) {
            FDisconnectAnnounced = false;
            ++FOwed;
        }
        return HidReadResult{HidReadStatus::Completed, FMouse.FConfig.RemovedReadError, 0};
    }
    Entry entry = std::move(FQueue.front());
    FQueue.pop_front();
    ++FOwed;
    const std::size_t n = std::min(entry.Report.size(), FBuffer.size());
    std::copy_n(entry.Report.begin(), n, FBuffer.begin());
    FBuffer = {};
    return HidReadResult{HidReadStatus::Completed, entry.Error,
                         entry.Error == 0 ? static_cast<std::uint32_t>(n) : 0};
}

std::uint32_t SimHidDevice::MaxInputUsageListLength() {
    const auto& c = FMouse.FConfig.Collections[FCollection];
    if (c.CapsFail)
        return 0;
    std::uint32_t n = 0;
    for (const auto& field : c.Buttons)
        n += field.Count;
    return n;
}

bool SimHidDevice::GetInputUsages(std::span<const std::uint8_t> report,
                                  std::span<std::uint16_t> usages, std::size_t& count) {
    count = 0;
    const auto& c = FMouse.FConfig.Collections[FCollection];
    if (c.CapsFail || report.size() != c.InputReportByteLength)
        return false;
    for (const auto& field : c.Buttons) {
        if (field.ReportId != 0 && (report.empty() || report[0] != field.ReportId))
            continue;
        for (std::uint16_t i = 0; i < field.Count; ++i) {
            const std::size_t bit = field.BitOffset + i;
            if (bit / 8 >= report.size() || !(report[bit / 8] & (1u << (bit % 8))))
                continue;
            if (count == usages.size())
                return false;
            usages[count++] = static_cast<std::uint16_t>(field.FirstUsage + i);
        }
    }
    return true;
}

} // namespace zq::sim
