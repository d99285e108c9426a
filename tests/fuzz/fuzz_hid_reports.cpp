// Bytes from the mouse, arbitrary in length and content: replies to queries
// unpacked into command records, and input reports delivered through readers
// and parsed for button usages.
#include "hid/DeviceCommand.h"
#include "hid/TuiHIDData.h"
#include "platform/sim/SimWorld.h"
#include "profiles/DeviceUsage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
    std::uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
    std::vector<std::uint8_t> Bytes(std::size_t n) {
        std::vector<std::uint8_t> bytes;
        while (n-- > 0 && FPos < FSize)
            bytes.push_back(FData[FPos++]);
        return bytes;
    }
    std::vector<std::uint8_t> Rest() { return Bytes(FSize - FPos); }
    bool Empty() const { return FPos >= FSize; }

private:
    const std::uint8_t* FData;
    std::size_t FSize;
    std::size_t FPos = 0;
};

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void Replies(Input& in) {
    zq::sim::SimWorld world("/nonexistent-zq-fuzz/");
    auto& mouse = world.Hid.AddMouse();
    zq::TuiHIDData data(world.Platform());
    zq::DEVICE_COMMAND command;
    for (auto& b : command.Header)
        b = in.Byte();
    const std::uint16_t length = in.Word();
    const std::uint16_t code = in.Word();
    const auto reply = in.Rest();
    mouse.SetReplyOverride([&](std::uint8_t, std::size_t) { return std::optional(reply); });

    zq::DEVICE_COMMAND sent = command;
    zq::SendDeviceCommand(data, sent);
    if (zq::QueryDeviceCommand(data, command) == 0)
        Check(command.password == zq::DeviceCommandPassword && command.Reserved == 0 &&
              command.Header[7] == 0);
    std::vector<std::uint8_t> destination(length, 0x5A);
    zq::QueryDevice(data, destination, length, code);
    std::int32_t cpi = -1;
    if (zq::GetProfileCpiIndex(data, static_cast<std::uint8_t>(code), cpi) == 0)
        Check(cpi >= 0 && cpi <= 255);
}

void Reports(Input& in) {
    zq::sim::SimWorld world("/nonexistent-zq-fuzz/");
    auto config = zq::sim::SimMouseConfig::Default();
    auto& vendor = config.Collections[zq::sim::SimVendorCollection];
    vendor.InputReportByteLength = in.Word() % 1025;
    vendor.Buttons = {
        zq::sim::SimButtonField{in.Byte(), static_cast<std::uint16_t>(in.Word() % 4096),
                                static_cast<std::uint16_t>(in.Byte() % 160), 9, in.Byte()}};
    auto& mouse = world.Hid.AddMouse(config);
    zq::TuiHIDData data(world.Platform());
    data.SetFastOnData(in.Byte() & 1);
    std::uint32_t sum = 0;
    data.OnData = [&](const std::u16string&, const std::u16string&, std::uint8_t,
                      const std::uint8_t* bytes, std::uint16_t size) {
        Check(size < vendor.InputReportByteLength);
        for (std::uint16_t i = 0; i < size; ++i)
            sum += bytes[i];
    };
    data.OnParsedData = [&](const std::u16string&, const std::u16string&, std::uint8_t,
                            std::uint32_t buttons) { sum += buttons; };
    data.HidFindAndReadDevice(zq::VendorUsageAndPage, u"*");
    for (int n = 0; n < 64 && !in.Empty(); ++n) {
        const auto report = in.Bytes(in.Word() % 2048);
        mouse.SendInputReport(report);
    }
    world.Loop.RunUntilQuiet();
    data.HidStopRead();
    Check(world.Hid.OpenHandleCount() == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zq::DeviceUsageAndPage = zq::VendorUsageAndPage;
    Input in(data, size);
    if (in.Byte() & 1)
        Reports(in);
    else
        Replies(in);
    return 0;
}
