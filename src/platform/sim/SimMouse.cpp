#include "platform/sim/SimMouse.h"

#include "platform/Guid.h"
#include "platform/HidBus.h"
#include "platform/sim/SimDeviceNotifications.h"
#include "platform/sim/SimHidBus.h"
#include "platform/sim/SimHidDevice.h"

#include <algorithm>
#include <stdexcept>

namespace zq::sim {

namespace {

// The HID class keeps this many unread input reports per handle.
constexpr std::size_t InputBufferCount = 32;

// Command classes of the firmware's packets (bits 0 to 6 of the command byte).
constexpr std::uint8_t QueryClass = 3;
constexpr std::uint8_t ModeClass = 6;
constexpr std::uint8_t HeaderReportId = 2;
constexpr std::uint16_t CurrentProfileQuery = 0x0043;
constexpr std::uint8_t ProfileCpiQuery = 0x4F; // low byte; the high byte names the profile
constexpr std::size_t ProfileCpiReplyLength = 42;

std::u16string Hex(std::uint32_t value, int digits, bool upper) {
    const char16_t* set = upper ? u"0123456789ABCDEF" : u"0123456789abcdef";
    std::u16string text;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        text += set[(value >> shift) & 0xF];
    return text;
}

std::u16string Lower(std::u16string text) {
    for (auto& c : text)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return text;
}

// "Col0n" is added when the interface carries more than one collection.
std::u16string CollectionPart(const SimMouseConfig& config, std::size_t collection) {
    const auto iface = config.Collections.at(collection).Interface;
    std::size_t count = 0, number = 0;
    for (std::size_t i = 0; i < config.Collections.size(); ++i) {
        if (config.Collections[i].Interface != iface)
            continue;
        ++count;
        if (i <= collection)
            ++number;
    }
    std::u16string part = u"&MI_" + Hex(iface, 2, true);
    if (count > 1)
        part += u"&Col" + std::u16string{static_cast<char16_t>(u'0' + number / 10 % 10),
                                         static_cast<char16_t>(u'0' + number % 10)};
    return part;
}

} // namespace

SimMouseConfig SimMouseConfig::Default() {
    SimMouseConfig config;
    SimCollectionConfig mouse;
    mouse.Interface = 0;
    mouse.UsagePage = 0x0001;
    mouse.Usage = 0x0002;
    // No report ids: the platform puts a 0 byte in front of each report.
    mouse.InputReportByteLength = 5;
    mouse.Buttons = {SimButtonField{0, 8, 5, 0x0009, 1}};
    mouse.ClassIds = {u"HID_DEVICE_SYSTEM_MOUSE", u"HID_DEVICE_UP:0001_U:0002", u"HID_DEVICE"};

    SimCollectionConfig consumer;
    consumer.Interface = 1;
    consumer.UsagePage = 0x000C;
    consumer.Usage = 0x0001;
    consumer.InputReportByteLength = 3;
    consumer.ClassIds = {u"HID_DEVICE_SYSTEM_CONSUMER", u"HID_DEVICE_UP:000C_U:0001",
                         u"HID_DEVICE"};

    SimCollectionConfig vendor;
    vendor.Interface = 1;
    vendor.UsagePage = 0xFFA0;
    vendor.Usage = 0x0001;
    vendor.InputReportByteLength = 8;
    vendor.FeatureReportByteLength = 4096;
    vendor.FeatureReports = {{2, 16}, {3, 64}, {4, 1024}, {5, 2048}, {6, 4096}};
    vendor.Firmware = true;
    vendor.ClassIds = {u"HID_DEVICE_UP:FFA0_U:0001", u"HID_DEVICE"};

    config.Collections = {mouse, consumer, vendor};
    return config;
}

SimMouse::SimMouse(SimHidBus& bus, SimMouseConfig config, std::uint32_t serial)
    : FBus(bus), FConfig(std::move(config)), FSerial(serial) {}

std::u16string SimMouse::Path(std::size_t collection) const {
    const std::u16string id = u"hid#vid_" + Hex(FConfig.VendorId, 4, false) + u"&pid_" +
                              Hex(FConfig.ProductId, 4, false) +
                              Lower(CollectionPart(FConfig, collection));
    return u"\\\\?\\" + id + u"#8&" + Hex(FSerial, 8, false) + u"&0&" +
           Hex(static_cast<std::uint32_t>(collection), 4, false) + u"#" +
           GuidToText(HidInterfaceClassGuid);
}

std::vector<std::u16string> SimMouse::HardwareIds(std::size_t collection) const {
    const std::u16string vidPid =
        u"HID\\VID_" + Hex(FConfig.VendorId, 4, true) + u"&PID_" + Hex(FConfig.ProductId, 4, true);
    const std::u16string part = CollectionPart(FConfig, collection);
    std::vector<std::u16string> ids{vidPid + u"&REV_" + Hex(FConfig.Revision, 4, true) + part,
                                    vidPid + part};
    for (const auto& id : FConfig.Collections.at(collection).ClassIds)
        ids.push_back(id);
    return ids;
}

std::size_t SimMouse::FirmwareCollection() const {
    for (std::size_t i = 0; i < FConfig.Collections.size(); ++i)
        if (FConfig.Collections[i].Firmware)
            return i;
    throw std::logic_error("the simulated mouse has no firmware collection");
}

void SimMouse::Plug() {
    {
        std::lock_guard lock(FBus.FMutex);
        if (FPlugged)
            return;
        FPlugged = true;
    }
    BroadcastPlug(true);
}

void SimMouse::Unplug() {
    {
        std::lock_guard lock(FBus.FMutex);
        if (!FPlugged)
            return;
        FPlugged = false;
        for (SimHidDevice* handle : FHandles) {
            // Reports not yet read are lost with the device; a reader that
            // would read again is announced until it has seen the removal.
            handle->DropQueueLocked();
            if (handle->Reads()) {
                handle->FDisconnectAnnounced = true;
                FBus.FLoop.BeginActivity();
            }
            handle->FDisconnected = true;
        }
    }
    FBus.FChanged.notify_all();
    BroadcastPlug(false);
}

bool SimMouse::Plugged() const {
    std::lock_guard lock(FBus.FMutex);
    return FPlugged;
}

std::size_t SimMouse::OpenHandles() const {
    std::lock_guard lock(FBus.FMutex);
    return FHandles.size();
}

void SimMouse::BroadcastPlug(bool arrival) {
    if (!FBus.FNotifications)
        return;
    const std::uint32_t event = arrival ? DBT_DEVICEARRIVAL_ : DBT_DEVICEREMOVECOMPLETE_;
    for (std::size_t i = 0; i < FConfig.Collections.size(); ++i)
        FBus.FNotifications->BroadcastInterfaceEvent(event, HidInterfaceClassGuid);
    FBus.FNotifications->Broadcast(DBT_DEVNODES_CHANGED_, std::nullopt);
}

void SimMouse::SendInputReport(std::size_t collection, std::span<const std::uint8_t> report) {
    {
        std::lock_guard lock(FBus.FMutex);
        if (!FPlugged)
            return;
        QueueLocked(collection, std::vector<std::uint8_t>(report.begin(), report.end()), 0);
    }
    FBus.FChanged.notify_all();
}

void SimMouse::SendInputReport(std::span<const std::uint8_t> report) {
    SendInputReport(FirmwareCollection(), report);
}

void SimMouse::SendButtonReport(std::uint32_t mask) {
    const std::uint8_t report[8] = {7,
                                    static_cast<std::uint8_t>(mask),
                                    static_cast<std::uint8_t>(mask >> 8),
                                    static_cast<std::uint8_t>(mask >> 16),
                                    0,
                                    0,
                                    0,
                                    0};
    SendInputReport(report);
}

void SimMouse::SendStatusReport(std::uint8_t subCode, std::uint8_t value) {
    const std::uint8_t report[8] = {8, subCode, value, 0, 0, 0, 0, 0};
    SendInputReport(report);
}

void SimMouse::FailNextRead(std::size_t collection, std::uint32_t error) {
    {
        std::lock_guard lock(FBus.FMutex);
        if (!FPlugged)
            return;
        QueueLocked(collection, {}, error);
    }
    FBus.FChanged.notify_all();
}

void SimMouse::QueueLocked(std::size_t collection, std::vector<std::uint8_t> report,
                           std::uint32_t error) {
    for (SimHidDevice* handle : FHandles) {
        if (handle->FCollection != collection || !handle->Reads())
            continue;
        if (handle->FQueue.size() == InputBufferCount) {
            handle->FQueue.pop_front();
            FBus.FLoop.EndActivity();
        }
        handle->FQueue.push_back(SimHidDevice::Entry{report, error});
        FBus.FLoop.BeginActivity();
    }
}

std::uint8_t SimMouse::Mode() const {
    std::lock_guard lock(FBus.FMutex);
    return FMode;
}

std::uint8_t SimMouse::ActiveProfile() const {
    std::lock_guard lock(FBus.FMutex);
    return FActiveProfile;
}

void SimMouse::SetActiveProfile(std::uint8_t profile) {
    std::lock_guard lock(FBus.FMutex);
    FActiveProfile = profile;
}

std::uint8_t SimMouse::ProfileCpiIndex(std::uint8_t profile) const {
    std::lock_guard lock(FBus.FMutex);
    return profile < FCpiIndex.size() ? FCpiIndex[profile] : 0;
}

void SimMouse::SetProfileCpiIndex(std::uint8_t profile, std::uint8_t index) {
    std::lock_guard lock(FBus.FMutex);
    if (profile < FCpiIndex.size())
        FCpiIndex[profile] = index;
}

void SimMouse::SetFeatureError(std::uint32_t error) {
    std::lock_guard lock(FBus.FMutex);
    FFeatureError = error;
}

void SimMouse::SetGetFeatureError(std::uint32_t error) {
    std::lock_guard lock(FBus.FMutex);
    FGetFeatureError = error;
}

void SimMouse::SetReplyOverride(
    std::function<std::optional<std::vector<std::uint8_t>>(std::uint8_t, std::size_t)> reply) {
    std::lock_guard lock(FBus.FMutex);
    FReplyOverride = std::move(reply);
}

std::vector<std::vector<std::uint8_t>> SimMouse::FeatureReportsReceived() const {
    std::lock_guard lock(FBus.FMutex);
    return FFeatureReports;
}

std::vector<std::vector<std::uint8_t>> SimMouse::FeatureRequestsReceived() const {
    std::lock_guard lock(FBus.FMutex);
    return FFeatureRequests;
}

std::vector<std::vector<std::uint8_t>> SimMouse::OutputReportsReceived() const {
    std::lock_guard lock(FBus.FMutex);
    return FOutputReports;
}

// The firmware reads the command packets of report 2: a query header waits for
// the next get-feature request, a mode command switches the mode.
void SimMouse::ReceiveFeatureLocked(std::size_t collection, std::span<const std::uint8_t> report) {
    FFeatureReports.emplace_back(report.begin(), report.end());
    if (!FConfig.Collections[collection].Firmware || report.size() < 8 ||
        report[0] != HeaderReportId)
        return;
    const std::uint8_t commandClass = report[1] & 0x7F;
    if (commandClass == QueryClass) {
        PendingQuery query;
        std::copy_n(report.begin() + 1, 7, query.Header.begin());
        query.Code = static_cast<std::uint16_t>(report[2] | (report[3] << 8));
        query.Length = static_cast<std::uint16_t>(report[4] | (report[5] << 8));
        FQuery = query;
    } else if (commandClass == ModeClass) {
        FMode = report[2];
    }
}

std::vector<std::uint8_t> SimMouse::AnswerFeatureLocked(std::size_t collection,
                                                        std::uint8_t reportId, std::size_t length) {
    if (FReplyOverride)
        if (auto reply = FReplyOverride(reportId, length))
            return *reply;
    std::vector<std::uint8_t> reply(length, 0);
    if (length == 0)
        return reply;
    reply[0] = reportId;
    if (!FConfig.Collections[collection].Firmware || !FQuery || length < 8)
        return reply;
    // The reply header repeats the query's; the answer follows from byte 8 on.
    std::copy(FQuery->Header.begin(), FQuery->Header.end(), reply.begin() + 1);
    const auto answer = QueryReplyLocked(FQuery->Code, FQuery->Length);
    std::copy_n(answer.begin(), std::min(answer.size(), length - 8), reply.begin() + 8);
    FQuery.reset();
    return reply;
}

std::vector<std::uint8_t> SimMouse::QueryReplyLocked(std::uint16_t code,
                                                     std::uint16_t length) const {
    if (code == CurrentProfileQuery)
        return {FActiveProfile};
    if ((code & 0xFF) == ProfileCpiQuery) {
        std::vector<std::uint8_t> reply(ProfileCpiReplyLength, 0);
        const std::size_t profile = code >> 8;
        if (profile < FCpiIndex.size())
            reply[1] = FCpiIndex[profile];
        return reply;
    }
    // Queries the firmware does not know are answered with zeros.
    return std::vector<std::uint8_t>(length, 0);
}

} // namespace zq::sim
