#pragma once
// An open HID interface on Windows, and the readers' stop signal (an event). A
// read is overlapped and waited on together with the stop signal; a stopped or
// abandoned read is cancelled and waited for before its buffer or the handle
// may go. Feature transfers and writes are overlapped too, so that a device
// that stalls one costs a bounded wait.

#include "platform/HidBus.h"
#include "platform/win32/Win32HidApi.h"

#include <memory>
#include <optional>
#include <vector>

namespace zq::win32 {

class Win32StopSignal : public IHidStopSignal {
public:
    Win32StopSignal();
    void Set() override;
    bool IsSet() const override;
    bool Wait(std::uint32_t timeoutMs) override;
    HANDLE Event() const { return FEvent.Get(); }

private:
    UniqueHandle FEvent; // manual reset
};

class Win32HidDevice : public IHidDevice {
public:
    // Reads the attributes, the parser data and the capabilities at once. The
    // handle is opened for overlapped I/O; reads are allowed when readable.
    Win32HidDevice(std::shared_ptr<const HidApi> api, UniqueHandle handle, bool readable);
    ~Win32HidDevice() override;
    Win32HidDevice(const Win32HidDevice&) = delete;
    Win32HidDevice& operator=(const Win32HidDevice&) = delete;

    std::optional<HidCaps> Caps() override { return FCaps; }
    std::uint32_t SetFeature(std::span<const std::uint8_t> report) override;
    std::uint32_t GetFeature(std::span<std::uint8_t> report) override;
    std::uint32_t Write(std::span<const std::uint8_t> report) override;
    std::uint32_t StartRead(std::span<std::uint8_t> buffer) override;
    HidReadResult WaitRead(IHidStopSignal& stop, std::uint32_t timeoutMs) override;
    std::uint32_t MaxInputUsageListLength() override;
    bool GetInputUsages(std::span<const std::uint8_t> report, std::span<std::uint16_t> usages,
                        std::size_t& count) override;

private:
    // One feature request (code) or, with code 0, an output write, bounded in
    // time; reply receives what the device answered (zeros after a short one).
    std::uint32_t Transfer(DWORD code, std::span<const std::uint8_t> request,
                           std::span<std::uint8_t> reply);
    void CancelRead();

    std::shared_ptr<const HidApi> FApi;
    UniqueHandle FHandle;
    const bool FReadable;
    PHIDP_PREPARSED_DATA FPreparsedData = nullptr;
    std::optional<HidCaps> FCaps;
    std::vector<::USAGE_AND_PAGE> FUsages; // sized once, for the parser's answers
    UniqueHandle FReadEvent;               // manual reset, signalled when a read ends
    OVERLAPPED FRead{};
    bool FReadPending = false;
};

} // namespace zq::win32
