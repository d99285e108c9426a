#pragma once
// The virtual mouse of the Windows tests: a HID minidriver (tests/devices/vmouse)
// that wine's own HID stack serves as two interfaces of a USB mouse, MI_00 (a
// plain mouse collection) and MI_01 (the vendor collection, usage page 0xFFA0,
// with input reports 7 and 8 and feature reports 2 to 6). This client installs
// and plugs it in the wine prefix, and drives it through the driver's control
// device: input reports, firmware state, faults and the log of transfers.
//
// Every call is bounded in time; waits for the device setup to catch up end
// after a few seconds at most.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zq::devices {

// One feature or output transfer the mouse received, in arrival order.
struct MouseTransfer {
    enum class Kind : std::uint8_t { SetFeature, GetFeature, Write };
    Kind Type = Kind::SetFeature;
    std::uint8_t ReportId = 0;
    std::uint8_t Interface = 1; // 0: MI_00, 1: MI_01
    std::uint32_t Status = 0;   // the status it completed with (0: success)
    // The report length the HID class driver handed the mouse: for a set, the
    // report's declared length; for a get, the caller's whole buffer.
    std::uint32_t Length = 0;
    // What was set or written; for a get, the buffer as handed (the request).
    std::vector<std::uint8_t> Bytes;
    // For a get: what the mouse answered (empty when it failed).
    std::vector<std::uint8_t> Answer;
};

enum class MouseFault : std::uint8_t {
    None,    // normal answers; also releases transfers stalled under that id
    Fail,    // the transfer fails (the caller sees ERROR_GEN_FAILURE)
    Stall,   // the transfer is held stallMs milliseconds, or until the fault is cleared
    Short,   // a get answers 8 bytes only: the report id and the echoed header
    Garbage, // a get answers the report id followed by pseudo-random bytes
};

enum class MouseInterface : std::uint8_t { Mouse = 0, Vendor = 1 };

// The firmware state as the control device reports it.
struct MouseState {
    std::uint8_t ActiveProfile = 0;
    std::uint8_t CpiIndex[5] = {};
    std::uint8_t Mode = 0;     // the last mode command set on report 2
    bool MouseStarted = false; // MI_00 is plugged and started
    bool VendorStarted = false;
    std::uint8_t Stalled = 0; // feature transfers held by a stall fault now
};

class VirtualMouse {
public:
    static constexpr wchar_t MouseHardwareId[] = L"HID\\VID_7A51&PID_0C01&MI_00";
    static constexpr wchar_t VendorHardwareId[] = L"HID\\VID_7A51&PID_0C01&MI_01";

    // Installs the driver package (zqvmouse.inf and zqvmouse.sys beside the
    // running program) in the prefix if needed and plugs both interfaces, waiting
    // until the vendor interface is listed. Idempotent and fast when already done;
    // a rebuilt driver is reinstalled. Empty on success, else a message that
    // says what is missing (tests print it when they fail).
    static std::string Install();

    // Creates the missing root device nodes (both, or only MI_01) and waits until
    // their HID interfaces are listed. True when they are.
    static bool Plug(bool vendorOnly = false);
    // Removes the root device nodes (both, or only MI_01) as an unplug does: a
    // read pending on them completes with an error and removal is broadcast.
    // Waits until their HID interfaces are gone. True when they are.
    static bool Unplug(bool vendorOnly = false);
    // The vendor interface (MI_01) is listed among the present HID interfaces.
    static bool Plugged();

    // Hands an input report (report id first; 0 first for MI_00, which has no
    // report ids) to the interface's pending read, or queues it (up to 64)
    // until the HID class driver reads again. False when the interface is not
    // plugged, the queue is full or the report is longer than the interface's.
    static bool SendInput(std::span<const std::uint8_t> report,
                          MouseInterface target = MouseInterface::Vendor);

    // The firmware's active profile (0 to 4), answered to query 0x0043.
    static bool SetActiveProfile(std::uint8_t profile);
    // The CPI index of a profile (0 to 4), answered to query profile * 256 + 0x4F.
    static bool SetCpiIndex(std::uint8_t profile, std::uint8_t index);
    static std::optional<MouseState> State();

    // A fault for feature transfers of one report id, or of every id (0). A fault
    // of a specific id wins over the all-ids one. Setting None for an id releases
    // its stalled transfers; None for id 0 clears every fault and releases all.
    static bool SetFault(std::uint8_t reportId, MouseFault fault, std::uint32_t stallMs = 0);

    // Every transfer received since the last clear, in order.
    static std::vector<MouseTransfer> Transfers();
    // Transfers not recorded since the last clear because the log was full.
    static std::uint32_t DroppedTransfers();
    // Empties the log of transfers; faults and firmware state stay.
    static bool ClearTransfers();
    // Back to the power-on state: no faults (stalls released), profile 0, every
    // CPI index 0, mode 0, no query armed, queued input reports dropped. The
    // log stays.
    static bool Reset();

    // The folder of the driver package: the running program's folder.
    static std::wstring PackageFolder();
};

} // namespace zq::devices
