#pragma once
// The simulated gaming mouse: a USB device with several HID top-level
// collections (each an interface with its own path, hardware identifiers and
// report lengths), firmware that answers the command packets on the vendor
// collection, input reports on demand, and plug and unplug at any moment. Every
// feature report it receives goes to the log ("hid-set", "hid-get" with the
// report returned, "hid-write" for output reports), bytes in lower-case hex.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace zq::sim {

class SimHidBus;
class SimHidDevice;

// A run of one-bit usages (buttons) in the input reports of a collection.
struct SimButtonField {
    std::uint8_t ReportId = 0; // the report that carries them; 0 when the collection has no ids
    std::uint16_t BitOffset =
        0; // of the first usage, from the start of the report (id byte included)
    std::uint16_t Count = 0;
    std::uint16_t UsagePage = 0x0009;
    std::uint16_t FirstUsage = 1;
};

struct SimCollectionConfig {
    std::uint8_t Interface = 0; // the USB interface (MI_ii) the collection belongs to
    std::uint16_t UsagePage = 0;
    std::uint16_t Usage = 0;
    std::uint16_t InputReportByteLength = 0;
    std::uint16_t OutputReportByteLength = 0;
    std::uint16_t FeatureReportByteLength = 0;
    // The feature reports the collection declares: id and size, id included.
    // Buffers must hold the collection's length; the device sees the addressed
    // report's own bytes. Empty: the device sees the whole buffer.
    std::vector<std::pair<std::uint8_t, std::uint16_t>> FeatureReports;
    std::vector<SimButtonField> Buttons;
    bool Firmware = false;  // answers the command packets
    bool OpenFails = false; // held exclusively by the system, like a system mouse or keyboard
    bool CapsFail = false;  // the parser data cannot be read
    // Extra hardware identifiers after the two VID/PID forms (class identifiers).
    std::vector<std::u16string> ClassIds;
};

struct SimMouseConfig {
    std::uint16_t VendorId = 0x7A51;
    std::uint16_t ProductId = 0x0C01;
    std::uint16_t Revision = 0x0100;
    std::vector<SimCollectionConfig> Collections;
    // What reads on a removed interface answer: the system's "device not
    // connected", or "access denied" as some class drivers say it.
    std::uint32_t RemovedReadError = 1167;

    // Interface 0: the system mouse (5 buttons); interface 1: a consumer control
    // (Col01) and the vendor collection 0xFFA0/0x0001 with the firmware (Col02).
    static SimMouseConfig Default();
};

// Index of the collections of the default mouse.
inline constexpr std::size_t SimMouseCollection = 0;
inline constexpr std::size_t SimConsumerCollection = 1;
inline constexpr std::size_t SimVendorCollection = 2;

class SimMouse {
public:
    SimMouse(SimHidBus& bus, SimMouseConfig config, std::uint32_t serial);
    SimMouse(const SimMouse&) = delete;
    SimMouse& operator=(const SimMouse&) = delete;

    const SimMouseConfig& Config() const { return FConfig; }
    // The interface of a collection as the device setup lists it.
    std::u16string Path(std::size_t collection) const;
    std::vector<std::u16string> HardwareIds(std::size_t collection) const;
    // The first collection with firmware.
    std::size_t FirmwareCollection() const;

    // Plugging raises arrival notifications, unplugging removal ones; reads
    // under way on the mouse's handles then fail with DeviceNotConnected.
    void Plug();
    void Unplug();
    bool Plugged() const;
    // Handles of programs still open on the mouse's interfaces.
    std::size_t OpenHandles() const;

    // Input reports (report id first) to every reader of a collection; the
    // platform keeps up to 32 unread reports per handle, as the HID class does.
    void SendInputReport(std::size_t collection, std::span<const std::uint8_t> report);
    void SendInputReport(std::span<const std::uint8_t> report); // to the firmware collection
    // The firmware's button report 7 (24 button bits) and status report 8.
    void SendButtonReport(std::uint32_t mask);
    void SendStatusReport(std::uint8_t subCode, std::uint8_t value);
    // The next read of each reader of the collection fails with this code.
    void FailNextRead(std::size_t collection, std::uint32_t error);

    // Firmware state.
    std::uint8_t Mode() const;
    std::uint8_t ActiveProfile() const;
    void SetActiveProfile(std::uint8_t profile);
    std::uint8_t ProfileCpiIndex(std::uint8_t profile) const;
    void SetProfileCpiIndex(std::uint8_t profile, std::uint8_t index);
    // Feature requests fail with this code from now on (0: they succeed).
    void SetFeatureError(std::uint32_t error);
    // Only get-feature requests fail with this code (0: they succeed).
    void SetGetFeatureError(std::uint32_t error);
    // Replaces the firmware's answer to a get-feature request: given the report
    // id and length asked for, the bytes to return (nullopt: the firmware answers).
    // It runs with the bus locked and must not call back into the mouse.
    void SetReplyOverride(
        std::function<std::optional<std::vector<std::uint8_t>>(std::uint8_t, std::size_t)> reply);

    // What the mouse received, in order.
    std::vector<std::vector<std::uint8_t>> FeatureReportsReceived() const;
    std::vector<std::vector<std::uint8_t>> OutputReportsReceived() const;
    // The buffers of the get-feature requests as the program handed them over.
    std::vector<std::vector<std::uint8_t>> FeatureRequestsReceived() const;

private:
    friend class SimHidBus;
    friend class SimHidDevice;

    struct PendingQuery {
        std::array<std::uint8_t, 7> Header{};
        std::uint16_t Code = 0;
        std::uint16_t Length = 0;
    };

    // Everything below runs with the bus's lock held.
    void QueueLocked(std::size_t collection, std::vector<std::uint8_t> report, std::uint32_t error);
    void ReceiveFeatureLocked(std::size_t collection, std::span<const std::uint8_t> report);
    std::vector<std::uint8_t> AnswerFeatureLocked(std::size_t collection, std::uint8_t reportId,
                                                  std::size_t length);
    std::vector<std::uint8_t> QueryReplyLocked(std::uint16_t code, std::uint16_t length) const;
    void BroadcastPlug(bool arrival);

    SimHidBus& FBus;
    const SimMouseConfig FConfig;
    const std::uint32_t FSerial;

    bool FPlugged = false;
    std::vector<SimHidDevice*> FHandles;
    std::uint8_t FMode = 1;
    std::uint8_t FActiveProfile = 0;
    std::array<std::uint8_t, 5> FCpiIndex{};
    std::optional<PendingQuery> FQuery;
    std::uint32_t FFeatureError = 0;
    std::uint32_t FGetFeatureError = 0;
    std::function<std::optional<std::vector<std::uint8_t>>(std::uint8_t, std::size_t)>
        FReplyOverride;
    std::vector<std::vector<std::uint8_t>> FFeatureReports;
    std::vector<std::vector<std::uint8_t>> FOutputReports;
    std::vector<std::vector<std::uint8_t>> FFeatureRequests;
};

} // namespace zq::sim
