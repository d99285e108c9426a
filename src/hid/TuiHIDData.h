#pragma once
// The component that finds the mouse's vendor collection among the HID
// interfaces present and performs one operation on every interface that
// qualifies: start input-report readers, write an output report, set or get a
// feature report, or only test that such an interface exists. It keeps no handle
// between calls; only its readers hold one, for as long as they run.

#include "hid/ButtonUsages.h"
#include "hid/HidRecords.h"
#include "platform/HidBus.h"
#include "platform/MessageLoop.h"
#include "platform/Platform.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zq {

class TuiHidDeviceReadThread;

// Events. Data is valid only during the call; Size counts the bytes after the
// report id.
using TuiHIDDataReceived =
    std::function<void(const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                       std::uint8_t ReportID, const std::uint8_t* Data, std::uint16_t Size)>;
using TuiHIDParsedDataReceived =
    std::function<void(const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                       std::uint8_t ReportID, std::uint32_t ButtonData)>;
using TuiHIDDeviceNotConnected =
    std::function<void(const std::u16string& ADeviceID, const std::u16string& ADevicePath)>;

// The result of the set and get operations when no interface qualified.
inline constexpr std::uint32_t HidNoDeviceResult = HidError::DeviceNotConnected;

// The readers started between two stops: they share one stop signal and one
// Synchronize token, and a stop sets and cancels both for good.
struct TReaderGeneration {
    std::unique_ptr<IHidStopSignal> StopReadEvent;
    std::shared_ptr<SyncCancel> Cancel;
};

class TuiHIDData {
public:
    // Reads the include list ("IncludeHIDDeviceList" of config.ini) once.
    explicit TuiHIDData(Platform& platform);
    // Stops every reader and waits for them. Not to be called from inside one of
    // the component's own event handlers.
    ~TuiHIDData();
    TuiHIDData(const TuiHIDData&) = delete;
    TuiHIDData& operator=(const TuiHIDData&) = delete;

    // Starts one reader per qualifying interface that no running reader reads.
    void HidFindAndReadDevice(USAGE_AND_PAGE UsageAndPage, const std::u16string& HIDID);
    // Output reports: Data.DATASIZE bytes after the report id, resp. from it on.
    bool HidFindAndWriteDevice(const THIDDataParam& ReportData);
    bool HidFindAndWriteDeviceBYHID(const THIDDataParam& ReportData);
    // Feature reports of Data.DATASIZE bytes, report id included: 0 or the error
    // code of the last interface tried (HidNoDeviceResult when none qualified).
    std::uint32_t HidFindAndSetFeatureReport(THIDDataParam& ReportData);
    std::uint32_t HidFindAndGetFeatureReport(THIDDataParam& ReportData);
    bool IsDeviceExist(const THIDDataParam& ReportData);
    // Stops every reader, including one waiting to hand a report to the main
    // thread, and returns when none of them can deliver again. Readers started
    // afterwards run normally.
    void HidStopRead();

    // The include list as read at creation, entries unchanged and in file order.
    const std::vector<std::u16string>& GetHIDDeviceList() const { return FHidDeviceList; }
    void SetUsageAndPage(USAGE_AND_PAGE AUsageAndPage) { FUsageAndPage = AUsageAndPage; }
    USAGE_AND_PAGE GetUsageAndPage() const { return FUsageAndPage; }
    const std::u16string& DeviceID() const { return FDeviceID; }
    void SetDeviceID(const std::u16string& value) { FDeviceID = value; }
    // False: OnData and OnParsedData run on the main thread (through Synchronize);
    // true: on the reader threads. Read at every report.
    bool FastOnData() const { return FFastOnData.load(std::memory_order_relaxed); }
    void SetFastOnData(bool value) { FFastOnData.store(value, std::memory_order_relaxed); }

    // Read by the readers at every report: assign them while no reader runs.
    TuiHIDDataReceived OnData;
    TuiHIDParsedDataReceived OnParsedData;
    // Raised on the reader's own thread when its device went away.
    TuiHIDDeviceNotConnected OnDeviceNotConnected;

    // Readers still running.
    std::size_t ReaderCount() const;

private:
    friend class TuiHidDeviceReadThread;
    enum class IdentifierRule { W, R, Every };

    void LoadIncludeHIDDeviceList();
    std::shared_ptr<TReaderGeneration> NewGeneration();
    void ReapFinishedReaders();
    bool IsBeingRead(const std::u16string& path, const TReaderGeneration& generation) const;
    bool Selected(IdentifierRule rule, const std::u16string& id,
                  const std::vector<std::u16string>& hardwareIds) const;
    // Every present interface that the rule selects, opened, whose top-level
    // collection passes the condition, goes to the action.
    template <typename Condition, typename Action>
    void Search(IdentifierRule rule, const std::u16string& id, bool overlapped, Condition condition,
                Action action);

    Platform& FPlatform;
    USAGE_AND_PAGE FUsageAndPage;
    std::u16string FDeviceID;
    Guid FHidGuid;
    std::vector<std::u16string> FHidDeviceList;
    std::atomic<bool> FFastOnData{false};

    mutable std::mutex FReadersLock;
    std::shared_ptr<TReaderGeneration> FGeneration;
    std::vector<std::unique_ptr<TuiHidDeviceReadThread>> FReaders;

    // Button parsing state, shared by all readers and used by one at a time.
    std::mutex FParseLock;
    std::array<std::uint16_t, MaxButtonUsages> FPreviousButtonUsages{};
};

} // namespace zq
