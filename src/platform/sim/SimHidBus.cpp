#include "platform/sim/SimHidBus.h"

#include "platform/Text.h"
#include "platform/sim/SimHidDevice.h"

#include <chrono>

namespace zq::sim {

SimHidBus::SimHidBus(SimLoop& loop, SimLog& log) : FLoop(loop), FLog(log) {}

SimHidBus::~SimHidBus() = default;

std::vector<HidInterface> SimHidBus::Enumerate(const Guid& interfaceClass) {
    std::lock_guard lock(FMutex);
    std::vector<HidInterface> list;
    if (FEnumerationFails || interfaceClass != HidInterfaceClassGuid)
        return list;
    for (const auto& mouse : FMice) {
        if (!mouse->FPlugged)
            continue;
        for (std::size_t i = 0; i < mouse->FConfig.Collections.size(); ++i)
            list.push_back(HidInterface{mouse->Path(i), mouse->HardwareIds(i)});
    }
    return list;
}

std::unique_ptr<IHidDevice> SimHidBus::Open(const std::u16string& path, bool overlapped) {
    std::lock_guard lock(FMutex);
    for (const auto& mouse : FMice) {
        if (!mouse->FPlugged)
            continue;
        for (std::size_t i = 0; i < mouse->FConfig.Collections.size(); ++i) {
            if (!EqualsIgnoreAsciiCase(mouse->Path(i), path))
                continue;
            if (mouse->FConfig.Collections[i].OpenFails)
                return nullptr;
            auto device = std::make_unique<SimHidDevice>(*mouse, i, overlapped);
            mouse->FHandles.push_back(device.get());
            return device;
        }
    }
    return nullptr;
}

std::unique_ptr<IHidStopSignal> SimHidBus::CreateStopSignal() {
    return std::make_unique<SimStopSignal>(*this);
}

SimMouse& SimHidBus::AddMouse(SimMouseConfig config) {
    SimMouse* mouse;
    {
        std::lock_guard lock(FMutex);
        FMice.push_back(std::make_unique<SimMouse>(*this, std::move(config),
                                                   static_cast<std::uint32_t>(FMice.size() + 1)));
        mouse = FMice.back().get();
    }
    mouse->Plug();
    return *mouse;
}

std::size_t SimHidBus::OpenHandleCount() const {
    std::lock_guard lock(FMutex);
    std::size_t n = 0;
    for (const auto& mouse : FMice)
        n += mouse->FHandles.size();
    return n;
}

void SimHidBus::SetEnumerationFails(bool fails) {
    std::lock_guard lock(FMutex);
    FEnumerationFails = fails;
}

void SimStopSignal::Set() {
    {
        std::lock_guard lock(FBus.FMutex);
        FSet.store(true, std::memory_order_release);
    }
    FBus.FChanged.notify_all();
}

bool SimStopSignal::Wait(std::uint32_t timeoutMs) {
    std::unique_lock lock(FBus.FMutex);
    const auto set = [&] { return IsSet(); };
    if (timeoutMs == InfiniteWait) {
        FBus.FChanged.wait(lock, set);
        return true;
    }
    return FBus.FChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), set);
}

} // namespace zq::sim
