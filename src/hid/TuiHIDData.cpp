#include "hid/TuiHIDData.h"

#include "hid/TuiHidDeviceReadThread.h"
#include "platform/Text.h"
#include "profiles/ConfigFile.h"

#include <algorithm>
#include <span>

namespace zq {

namespace {

constexpr char16_t IncludeListSection[] = u"IncludeHIDDeviceList";

bool UsageEqual(const HidCaps& caps, USAGE_AND_PAGE usage) {
    return caps.UsagePage == usage.UsagePage && caps.Usage == usage.Usage;
}

// The system takes feature and output reports only in buffers of the
// collection's length, whatever the addressed report's own size: the report's
// bytes first, zeros after them.
std::vector<std::uint8_t> Padded(const std::uint8_t* report, std::size_t size,
                                 std::size_t collectionLength) {
    std::vector<std::uint8_t> buffer(std::max(size, collectionLength), 0);
    std::copy_n(report, size, buffer.begin());
    return buffer;
}

} // namespace

TuiHIDData::TuiHIDData(Platform& platform)
    : FPlatform(platform), FHidGuid(platform.Hid.InterfaceClass()), FGeneration(NewGeneration()) {
    LoadIncludeHIDDeviceList();
}

TuiHIDData::~TuiHIDData() {
    HidStopRead();
}

void TuiHIDData::LoadIncludeHIDDeviceList() {
    const auto ini = OpenConfigFile(FPlatform.Ini, FPlatform.System);
    FHidDeviceList = ReadIdentifierList(*ini, IncludeListSection);
}

std::shared_ptr<TReaderGeneration> TuiHIDData::NewGeneration() {
    auto generation = std::make_shared<TReaderGeneration>();
    generation->StopReadEvent = FPlatform.Hid.CreateStopSignal();
    generation->Cancel = std::make_shared<SyncCancel>();
    return generation;
}

bool TuiHIDData::Selected(IdentifierRule rule, const std::u16string& id,
                          const std::vector<std::u16string>& hardwareIds) const {
    const auto isHardwareId = [&](const std::u16string& candidate) {
        return std::any_of(hardwareIds.begin(), hardwareIds.end(), [&](const std::u16string& h) {
            return EqualsIgnoreAsciiCase(h, candidate);
        });
    };
    const auto listed = [&] {
        return std::any_of(FHidDeviceList.begin(), FHidDeviceList.end(), isHardwareId);
    };
    switch (rule) {
    case IdentifierRule::Every:
        return true;
    case IdentifierRule::W:
        if (!id.empty() && id != u"*")
            return isHardwareId(id);
        return FHidDeviceList.empty() || listed();
    case IdentifierRule::R:
        if (FHidDeviceList.empty())
            return true;
        return id == u"*" ? listed() : isHardwareId(id);
    }
    return false;
}

template <typename Condition, typename Action>
void TuiHIDData::Search(IdentifierRule rule, const std::u16string& id, bool overlapped,
                        Condition condition, Action action) {
    for (const HidInterface& iface : FPlatform.Hid.Enumerate(FHidGuid)) {
        if (!Selected(rule, id, iface.HardwareIds))
            continue;
        const auto device = FPlatform.Hid.Open(iface.Path, overlapped);
        if (!device)
            continue;
        const auto caps = device->Caps();
        if (caps && condition(*caps))
            action(*device, iface, *caps);
    }
}

void TuiHIDData::HidFindAndReadDevice(USAGE_AND_PAGE UsageAndPage, const std::u16string& HIDID) {
    ReapFinishedReaders();
    std::shared_ptr<TReaderGeneration> generation;
    {
        std::lock_guard lock(FReadersLock);
        generation = FGeneration;
    }
    Search(
        IdentifierRule::R, HIDID, true,
        [&](const HidCaps& caps) { return UsageEqual(caps, UsageAndPage); },
        [&](IHidDevice&, const HidInterface& iface, const HidCaps&) {
            // One reader per interface: a start that ran inside this one's caller
            // (a nested resynchronisation) may have started it already, and two
            // would hand over every report twice.
            if (IsBeingRead(iface.Path, *generation))
                return;
            // Created while the probe handle is still open; the reader opens its own.
            auto reader = std::make_unique<TuiHidDeviceReadThread>(
                *this, iface.HardwareIds.empty() ? std::u16string() : iface.HardwareIds.front(),
                iface.Path, generation);
            std::lock_guard lock(FReadersLock);
            FReaders.push_back(std::move(reader));
        });
}

bool TuiHIDData::HidFindAndWriteDevice(const THIDDataParam& ReportData) {
    const std::uint32_t size = ReportData.Data.DATASIZE;
    bool written = false;
    Search(
        IdentifierRule::W, ReportData.DeviceID, false,
        [&](const HidCaps& caps) {
            return UsageEqual(caps, ReportData.UsageAndPage) &&
                   caps.OutputReportByteLength >= size && size < MaxReportBytes;
        },
        [&](IHidDevice& device, const HidInterface&, const HidCaps& caps) {
            // The report id and the DATASIZE bytes after it.
            if (device.Write(Padded(ReportBytes(ReportData.Data), size + 1,
                                    caps.OutputReportByteLength)) == HidError::Success)
                written = true;
        });
    return written;
}

bool TuiHIDData::HidFindAndWriteDeviceBYHID(const THIDDataParam& ReportData) {
    const std::uint32_t size = ReportData.Data.DATASIZE;
    bool written = false;
    Search(
        IdentifierRule::Every, ReportData.DeviceID, false,
        [&](const HidCaps& caps) {
            return UsageEqual(caps, ReportData.UsageAndPage) &&
                   caps.OutputReportByteLength >= size && size <= MaxReportBytes;
        },
        [&](IHidDevice& device, const HidInterface&, const HidCaps& caps) {
            if (device.Write(Padded(ReportBytes(ReportData.Data), size,
                                    caps.OutputReportByteLength)) == HidError::Success)
                written = true;
        });
    return written;
}

std::uint32_t TuiHIDData::HidFindAndSetFeatureReport(THIDDataParam& ReportData) {
    const std::uint32_t size = ReportData.Data.DATASIZE;
    std::uint32_t result = HidNoDeviceResult;
    Search(
        IdentifierRule::W, ReportData.DeviceID, false,
        [&](const HidCaps& caps) {
            return UsageEqual(caps, ReportData.UsageAndPage) &&
                   caps.FeatureReportByteLength >= size && size <= MaxReportBytes;
        },
        [&](IHidDevice& device, const HidInterface&, const HidCaps& caps) {
            result = device.SetFeature(
                Padded(ReportBytes(ReportData.Data), size, caps.FeatureReportByteLength));
        });
    return result;
}

std::uint32_t TuiHIDData::HidFindAndGetFeatureReport(THIDDataParam& ReportData) {
    const std::uint32_t size = ReportData.Data.DATASIZE;
    std::uint32_t result = HidNoDeviceResult;
    std::vector<std::uint8_t> buffer;
    Search(
        IdentifierRule::W, ReportData.DeviceID, false,
        [&](const HidCaps& caps) {
            return UsageEqual(caps, ReportData.UsageAndPage) &&
                   caps.FeatureReportByteLength >= size && size <= MaxReportBytes;
        },
        [&](IHidDevice& device, const HidInterface&, const HidCaps& caps) {
            // The request goes in a buffer of its own, so a failed request leaves
            // the record as it was; no more than the record's report comes back.
            buffer = Padded(ReportBytes(ReportData.Data), size, caps.FeatureReportByteLength);
            result = device.GetFeature(buffer);
            if (result == HidError::Success)
                std::copy_n(buffer.begin(), size, ReportBytes(ReportData.Data));
        });
    return result;
}

bool TuiHIDData::IsDeviceExist(const THIDDataParam& ReportData) {
    bool found = false;
    Search(
        IdentifierRule::W, ReportData.DeviceID, false,
        [&](const HidCaps& caps) { return UsageEqual(caps, ReportData.UsageAndPage); },
        [&](IHidDevice&, const HidInterface&, const HidCaps&) { found = true; });
    return found;
}

void TuiHIDData::HidStopRead() {
    auto fresh = NewGeneration();
    std::shared_ptr<TReaderGeneration> stopped;
    std::vector<std::unique_ptr<TuiHidDeviceReadThread>> readers;
    {
        std::lock_guard lock(FReadersLock);
        stopped = std::exchange(FGeneration, std::move(fresh));
        readers = std::exchange(FReaders, {});
    }
    // Readers waiting on a read see the signal; readers waiting to hand a report
    // to the main thread (which is here, not serving them) are released without
    // delivering it.
    stopped->StopReadEvent->Set();
    FPlatform.Loop.CancelSynchronize(stopped->Cancel);

    std::vector<std::unique_ptr<TuiHidDeviceReadThread>> inside;
    for (auto& reader : readers) {
        // A stop from inside a reader's own delivery cannot wait for that reader;
        // it ends as soon as the delivery returns and is released later.
        if (reader->IsCurrentThreadInside())
            inside.push_back(std::move(reader));
        else
            reader.reset(); // waits for the thread
    }
    if (!inside.empty()) {
        std::lock_guard lock(FReadersLock);
        for (auto& reader : inside)
            FReaders.push_back(std::move(reader));
    }
}

void TuiHIDData::ReapFinishedReaders() {
    std::vector<std::unique_ptr<TuiHidDeviceReadThread>> finished;
    {
        std::lock_guard lock(FReadersLock);
        const auto done = std::stable_partition(FReaders.begin(), FReaders.end(),
                                                [](const auto& r) { return !r->Finished(); });
        std::move(done, FReaders.end(), std::back_inserter(finished));
        FReaders.erase(done, FReaders.end());
    }
}

bool TuiHIDData::IsBeingRead(const std::u16string& path,
                             const TReaderGeneration& generation) const {
    std::lock_guard lock(FReadersLock);
    return std::any_of(FReaders.begin(), FReaders.end(),
                       [&](const auto& r) { return r->Reads(path, &generation); });
}

std::size_t TuiHIDData::ReaderCount() const {
    std::lock_guard lock(FReadersLock);
    return static_cast<std::size_t>(std::count_if(FReaders.begin(), FReaders.end(),
                                                  [](const auto& r) { return !r->Finished(); }));
}

} // namespace zq
