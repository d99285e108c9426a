#include "platform/sim/RecordingDriver.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <stdexcept>

namespace zq::sim {

namespace {

std::string CodeText(std::uint32_t code) {
    char text[9];
    std::snprintf(text, sizeof(text), "%08x", code);
    return text;
}

} // namespace

class RecordingDriver::Device : public IDriverDevice {
public:
    explicit Device(RecordingDriver& driver) : FDriver(driver) {}

    std::uint32_t Control(std::uint32_t code, const void* input, std::uint32_t inputSize,
                          void* output, std::uint32_t outputSize,
                          std::uint32_t& returned) override {
        returned = 0;
        std::vector<std::uint8_t> bytes(static_cast<const std::uint8_t*>(input),
                                        static_cast<const std::uint8_t*>(input) + inputSize);
        std::vector<std::uint8_t> reply;
        std::uint32_t failure = 0;
        {
            std::lock_guard lock(FDriver.FMutex);
            FDriver.FRequests.push_back({code, bytes});
            if (auto f = FDriver.FFailures.find(code); f != FDriver.FFailures.end())
                failure = f->second;
            if (auto r = FDriver.FReplies.find(code); r != FDriver.FReplies.end())
                reply = r->second;
        }
        FDriver.FLog.Add("driver", CodeText(code) + " " + HexBytes(bytes));
        if (failure != 0)
            return failure;
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(reply.size(), outputSize));
        if (n > 0)
            std::memcpy(output, reply.data(), n);
        returned = n;
        return 0;
    }

private:
    RecordingDriver& FDriver;
};

class RecordingDriver::Event : public IDriverEvent {
public:
    explicit Event(RecordingDriver& driver) : FDriver(driver) {}

    void Set() override {
        {
            std::lock_guard lock(FDriver.FMutex);
            FSet.store(true, std::memory_order_release);
        }
        FDriver.FChanged.notify_all();
    }
    void Reset() override {
        std::lock_guard lock(FDriver.FMutex);
        FSet.store(false, std::memory_order_release);
    }
    bool IsSet() const override { return FSet.load(std::memory_order_acquire); }

    RecordingDriver& Driver() const { return FDriver; }

private:
    RecordingDriver& FDriver;
    std::atomic<bool> FSet{false}; // written with the driver's lock held
};

class RecordingDriver::ReadDevice : public IDriverReadDevice {
public:
    // Registered by the driver, which holds its lock here.
    explicit ReadDevice(RecordingDriver& driver) : FDriver(driver) {}

    ~ReadDevice() override {
        std::lock_guard lock(FDriver.FMutex);
        auto& devices = FDriver.FReadDevices;
        devices.erase(std::remove(devices.begin(), devices.end(), this), devices.end());
        FDriver.FEndedAtClose += FLetGo;
        if (FPending && !FEmptyAtOnce) {
            if (FDriver.FCompletesOnlyAtClose)
                ++FDriver.FEndedAtClose;
            else
                ++FDriver.FCancelled;
        }
        FDriver.SettleLocked();
    }

    std::uint32_t StartRequest(std::uint32_t code, const void* input, std::uint32_t inputSize,
                               void* output, std::uint32_t outputSize) override {
        std::lock_guard lock(FDriver.FMutex);
        // The next request is under way: what the last one read has been handed on.
        FStarted = true;
        for (Taken& taken : FTaken)
            taken.Followed = true;
        FDriver.FReadRequests.push_back({code, inputSize, outputSize});
        FDriver.FLog.Add("driver-read", CodeText(code) + " " + std::to_string(inputSize) + " " +
                                            std::to_string(outputSize));
        const std::uint32_t result = [&] {
            if (FDisconnected)
                return ERROR_DEVICE_NOT_CONNECTED_;
            if (FPending || (inputSize > 0 && !input) || (outputSize > 0 && !output))
                return ERROR_INVALID_PARAMETER_;
            FPending = true;
            FOutput = static_cast<std::uint8_t*>(output);
            FOutputSize = outputSize;
            FEmptyAtOnce = FDriver.FEmptyReadsAtOnce;
            return FEmptyAtOnce ? 0 : ERROR_IO_PENDING_;
        }();
        FDriver.SettleLocked();
        return result;
    }

    DriverRequestResult WaitRequest(IDriverEvent& stop, std::uint32_t cancelWaitMs) override {
        auto* stopEvent = dynamic_cast<Event*>(&stop);
        if (!stopEvent || &stopEvent->Driver() != &FDriver)
            throw std::invalid_argument("an event of another driver");
        std::unique_lock lock(FDriver.FMutex);
        FDriver.WaitingLocked(std::this_thread::get_id());
        FDriver.SettleLocked();
        if (!FPending)
            return {DriverRequestStatus::Completed, ERROR_INVALID_PARAMETER_, 0};
        FDriver.FChanged.wait(lock, [&] {
            return stopEvent->IsSet() || FDisconnected || !FQueue.empty() || FEmptyAtOnce;
        });
        if (stopEvent->IsSet() && !FEmptyAtOnce && FDriver.FCompletesOnlyAtClose) {
            // The cancel does not end the request: only a bounded wait returns.
            if (cancelWaitMs == DriverWaitForever)
                throw std::logic_error("a stop waits without limit for a request that ends "
                                       "only when its handle closes");
            FPending = false;
            ++FLetGo;
            FOutput = nullptr;
            FOutputSize = 0;
            FDriver.SettleLocked();
            return {DriverRequestStatus::Abandoned, 0, 0};
        }
        FPending = false;
        const DriverRequestResult result = [&]() -> DriverRequestResult {
            if (stopEvent->IsSet()) {
                // A request that had ended already has nothing to cancel.
                if (!FEmptyAtOnce)
                    ++FDriver.FCancelled;
                return {DriverRequestStatus::Stopped, 0, 0};
            }
            if (FEmptyAtOnce) {
                ++FDriver.FEmptyAnswers;
                FTaken.push_back({std::this_thread::get_id()});
                return {DriverRequestStatus::Completed, 0, 0};
            }
            if (FDisconnected)
                return {DriverRequestStatus::Completed, ERROR_DEVICE_NOT_CONNECTED_, 0};
            Entry entry = std::move(FQueue.front());
            FQueue.pop_front();
            if (entry.Error != 0)
                return {DriverRequestStatus::Completed, entry.Error, 0};
            const auto n =
                static_cast<std::uint32_t>(std::min<std::size_t>(entry.Block.size(), FOutputSize));
            if (n > 0)
                std::memcpy(FOutput, entry.Block.data(), n);
            FTaken.push_back({std::this_thread::get_id()});
            return {DriverRequestStatus::Completed, 0, n};
        }();
        FEmptyAtOnce = false;
        FOutput = nullptr;
        FOutputSize = 0;
        FDriver.SettleLocked();
        return result;
    }

private:
    friend class RecordingDriver;

    // A block handed to a reader, announced until it is delivered and the next
    // request is under way.
    struct Taken {
        std::thread::id Thread;
        bool Waited = false;   // the thread that took it waits again
        bool Followed = false; // a request started on the handle after it
    };

    // Under the driver's lock.
    RecordingDriver& FDriver;
    bool FStarted = false;
    bool FDisconnected = false;
    bool FPending = false;
    bool FEmptyAtOnce = false; // the pending request has ended at once, empty
    int FLetGo = 0;            // requests let go by a stop, still under way
    std::uint8_t* FOutput = nullptr;
    std::uint32_t FOutputSize = 0;
    std::deque<Entry> FQueue;
    std::vector<Taken> FTaken;
};

RecordingDriver::~RecordingDriver() {
    std::lock_guard lock(FMutex);
    FReadDevices.clear();
    SettleLocked();
}

bool RecordingDriver::OpensLocked(const std::u16string& path) const {
    return FPresent && path == u"\\\\.\\" + FName;
}

std::unique_ptr<IDriverDevice> RecordingDriver::Open(const std::u16string& path) {
    std::lock_guard lock(FMutex);
    if (!OpensLocked(path))
        return nullptr;
    ++FOpens;
    return std::make_unique<Device>(*this);
}

std::unique_ptr<IDriverReadDevice> RecordingDriver::OpenOverlapped(const std::u16string& path) {
    std::lock_guard lock(FMutex);
    if (!OpensLocked(path))
        return nullptr;
    auto device = std::make_unique<ReadDevice>(*this);
    FReadDevices.push_back(device.get());
    SettleLocked();
    return device;
}

std::unique_ptr<IDriverEvent> RecordingDriver::NewEvent() {
    return std::make_unique<Event>(*this);
}

std::size_t RecordingDriver::WaitForAny(std::span<IDriverEvent* const> events,
                                        std::uint32_t timeoutMs) {
    std::vector<Event*> own;
    for (IDriverEvent* event : events) {
        auto* e = dynamic_cast<Event*>(event);
        if (!e || &e->Driver() != this)
            throw std::invalid_argument("an event of another driver");
        own.push_back(e);
    }
    std::unique_lock lock(FMutex);
    WaitingLocked(std::this_thread::get_id());
    SettleLocked();
    std::size_t index = own.size();
    const auto anySet = [&] {
        const auto set = std::find_if(own.begin(), own.end(), [](Event* e) { return e->IsSet(); });
        index = static_cast<std::size_t>(set - own.begin());
        return set != own.end();
    };
    if (timeoutMs == DriverWaitForever) {
        FChanged.wait(lock, anySet);
        return index;
    }
    ++FTimedWaits;
    return FChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), anySet) ? index
                                                                                 : own.size();
}

void RecordingDriver::SetDeviceName(std::u16string name) {
    std::lock_guard lock(FMutex);
    FName = std::move(name);
}

void RecordingDriver::SetPresent(bool present) {
    {
        std::lock_guard lock(FMutex);
        FPresent = present;
        if (!present)
            for (ReadDevice* device : FReadDevices) {
                device->FDisconnected = true;
                device->FQueue.clear();
            }
        SettleLocked();
    }
    FChanged.notify_all();
}

void RecordingDriver::SetReply(std::uint32_t code, std::vector<std::uint8_t> reply) {
    std::lock_guard lock(FMutex);
    FReplies[code] = std::move(reply);
}

void RecordingDriver::SetFailure(std::uint32_t code, std::uint32_t error) {
    std::lock_guard lock(FMutex);
    if (error == 0)
        FFailures.erase(code);
    else
        FFailures[code] = error;
}

void RecordingDriver::FeedBlock(std::vector<std::uint8_t> block) {
    Feed(Entry{std::move(block), 0});
}

void RecordingDriver::FeedFailure(std::uint32_t error) {
    Feed(Entry{{}, error});
}

void RecordingDriver::Feed(const Entry& entry) {
    {
        std::lock_guard lock(FMutex);
        for (ReadDevice* device : FReadDevices)
            if (!device->FDisconnected)
                device->FQueue.push_back(entry);
        SettleLocked();
    }
    FChanged.notify_all();
}

std::vector<RecordingDriver::Request> RecordingDriver::Requests() const {
    std::lock_guard lock(FMutex);
    return FRequests;
}

std::vector<RecordingDriver::ReadRequest> RecordingDriver::ReadRequests() const {
    std::lock_guard lock(FMutex);
    return FReadRequests;
}

int RecordingDriver::OpenCount() const {
    std::lock_guard lock(FMutex);
    return FOpens;
}

std::size_t RecordingDriver::OpenOverlappedHandles() const {
    std::lock_guard lock(FMutex);
    return FReadDevices.size();
}

int RecordingDriver::CancelledRequests() const {
    std::lock_guard lock(FMutex);
    return FCancelled;
}

int RecordingDriver::RequestsEndedAtClose() const {
    std::lock_guard lock(FMutex);
    return FEndedAtClose;
}

int RecordingDriver::EmptyReadAnswers() const {
    std::lock_guard lock(FMutex);
    return FEmptyAnswers;
}

int RecordingDriver::TimedWaits() const {
    std::lock_guard lock(FMutex);
    return FTimedWaits;
}

void RecordingDriver::SetCompletesOnlyAtClose(bool value) {
    std::lock_guard lock(FMutex);
    FCompletesOnlyAtClose = value;
}

void RecordingDriver::SetEmptyReadsAtOnce(bool value) {
    std::lock_guard lock(FMutex);
    FEmptyReadsAtOnce = value;
}

void RecordingDriver::WaitingLocked(std::thread::id thread) {
    for (ReadDevice* device : FReadDevices)
        for (auto& taken : device->FTaken)
            if (taken.Thread == thread)
                taken.Waited = true;
}

void RecordingDriver::SettleLocked() {
    int wanted = 0;
    for (ReadDevice* device : FReadDevices) {
        auto& taken = device->FTaken;
        taken.erase(std::remove_if(taken.begin(), taken.end(),
                                   [](const auto& t) { return t.Waited && t.Followed; }),
                    taken.end());
        if (!device->FStarted)
            ++wanted;
        if (device->FPending &&
            (device->FDisconnected || !device->FQueue.empty() || device->FEmptyAtOnce))
            ++wanted;
        wanted += static_cast<int>(taken.size());
    }
    // The loop takes its own lock only briefly and never calls back into the
    // driver, so telling it here, with the driver's lock held, is safe.
    for (; FAnnounced < wanted; ++FAnnounced)
        FLoop.BeginActivity();
    for (; FAnnounced > wanted; --FAnnounced)
        FLoop.EndActivity();
}

} // namespace zq::sim
