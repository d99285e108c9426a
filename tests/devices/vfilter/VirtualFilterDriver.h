#pragma once
// The Windows tests' handle on the virtual filter driver (zqvfilter.sys, built
// beside the test programs): a kernel driver that takes the place of the
// mouse's filter driver, so the program's own channel runs against a real
// control device. It logs every I/O-control request it receives and answers as
// the test says; the test steers it and reads its log through the driver's
// control device, which the program never sees.
//
// The driver keeps its state for as long as it runs, across test programs:
// a test starts with Install() and Clear().

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zq::devices {

// One I/O-control request as the driver received it.
struct DriverRequest {
    std::uint32_t Code = 0;
    std::vector<std::uint8_t> Input; // the first 4096 bytes at most
    std::uint32_t InputLength = 0;   // the request's full input size
    std::uint32_t OutputLength = 0;
    bool operator==(const DriverRequest&) const = default;
};

// How the driver answers requests with the read code.
enum class ReadMode : std::uint32_t {
    None = 0,  // like every other request
    Pend = 1,  // pending until a block is fed (or the request is cancelled)
    Empty = 2, // at once, successfully, with no data
};

class VirtualFilterDriver {
public:
    static constexpr wchar_t DefaultDeviceName[] = L"usbqfrt00001";

    // Copies the driver into the prefix's drivers folder and creates and starts
    // its service with the filter device named deviceName; restarts it when the
    // name or the driver file changed. Fast when everything is in place already.
    // Empty on success, else what went wrong, ready for a test's failure message.
    static std::string Install(const std::wstring& deviceName = DefaultDeviceName);
    // Stops the service: both devices go away and every pending request ends.
    // True once the service is stopped (or was never installed).
    static bool Stop();

    // The requests received since the last Clear, oldest first.
    static std::vector<DriverRequest> Requests();
    // Requests that did not fit into the log (it keeps 256).
    static std::uint32_t DroppedCount();
    // Log and fed blocks cleared, behaviours back to their defaults (answer at
    // once with success and no reply bytes), every pending request cancelled.
    static bool Clear();

    // Requests other than reads stay pending for at least ms before they are
    // answered (0: at once); cancellation still ends them early.
    static bool SetDelay(std::uint32_t ms);
    // Requests other than reads complete with this status (0: success).
    static bool SetFailure(std::uint32_t ntStatus);
    // Which request code counts as a read, and how reads are answered.
    static bool SetReadCode(std::uint32_t code, ReadMode mode);
    // True: pending requests no longer honour cancellation and end only when
    // the handle they were sent on is closed.
    static bool IgnoreCancel(bool ignore);
    // Completes the oldest pending read with the block (as much as its output
    // holds); with no read pending, the next read takes it at once.
    static bool Feed(std::span<const std::uint8_t> data);

    // Requests now pending in the driver (delayed ones and reads).
    static std::uint32_t PendingCount();
    // Waits until exactly count requests are pending; false after the limit.
    static bool WaitForPendingCount(std::uint32_t count,
                                    std::chrono::milliseconds limit = std::chrono::seconds(10));
};

} // namespace zq::devices
