#pragma once
// A simulated world for the HID transport's tests: a folder of its own for
// config.ini, the program-wide device usage pair set as the profile manager sets
// it, and a wait for conditions that other threads bring about.

#include "platform/Text.h"
#include "platform/sim/SimWorld.h"
#include "profiles/DeviceUsage.h"
#include "support/TempFolder.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace zq::test {

class HidWorld {
public:
    HidWorld() : FSavedUsage(DeviceUsageAndPage) { DeviceUsageAndPage = VendorUsageAndPage; }
    ~HidWorld() { DeviceUsageAndPage = FSavedUsage; }
    HidWorld(const HidWorld&) = delete;
    HidWorld& operator=(const HidWorld&) = delete;

    // config.ini with the section "IncludeHIDDeviceList" (keys id1, id2, ...).
    void WriteIncludeList(const std::vector<std::u16string>& ids) {
        std::string text = "[IncludeHIDDeviceList]\r\n";
        for (std::size_t i = 0; i < ids.size(); ++i)
            text += "id" + std::to_string(i + 1) + "=" + ToUtf8(ids[i]) + "\r\n";
        Folder.Write("config.ini", text);
    }

    TempFolder Folder;
    sim::SimWorld World{Folder.WithSeparator()};

private:
    USAGE_AND_PAGE FSavedUsage;
};

// Waits until the condition holds (true) or a generous limit passes (false).
template <typename Condition> bool WaitUntil(Condition condition) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::yield();
    }
    return true;
}

} // namespace zq::test
