#include "hid/DeviceCommand.h"

#include "hid/HidRecords.h"
#include "hid/TuiHIDData.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace zq {

namespace {

constexpr std::uint8_t HeaderReportId = 2;
// A record holds this many bytes from its header on.
constexpr std::size_t RecordBytesFromHeader =
    sizeof(DEVICE_COMMAND::Header) + sizeof(DEVICE_COMMAND::Payload);

// A transfer parameter for the vendor collection of the mouse, selected by the
// include list, carrying a report of `size` bytes.
std::unique_ptr<THIDDataParam> NewTransfer(std::uint32_t size) {
    auto param = std::make_unique<THIDDataParam>();
    param->UsageAndPage = DeviceUsageAndPage;
    param->DeviceHandle = 0;
    param->Data.DATASIZE = size;
    return param;
}

} // namespace

std::uint32_t CommandPayloadLength(const std::uint8_t (&header)[8]) {
    switch (header[0] & 0x7F) {
    case 0:
        return header[2];
    case 2:
    case 3:
        return header[3] + 256u * header[4];
    default:
        return 0;
    }
}

std::uint8_t ReportIdForLength(std::uint32_t length) {
    if (length <= 16)
        return 2;
    if (length <= 64)
        return 3;
    if (length <= 1024)
        return 4;
    if (length <= 2048)
        return 5;
    if (length <= 4096)
        return 6;
    return 2;
}

std::uint32_t ReportSizeForId(std::uint8_t reportId) {
    switch (reportId) {
    case 3:
        return 64;
    case 4:
        return 1024;
    case 5:
        return 2048;
    case 6:
        return 4096;
    default:
        return 16;
    }
}

void PackCommandHeader(std::uint8_t reportId, std::uint8_t (&header)[8]) {
    std::memmove(header + 1, header, 7);
    header[0] = reportId;
}

void UnpackReplyHeader(std::uint8_t (&header)[8]) {
    std::memmove(header, header + 1, 7);
    header[7] = 0;
}

std::uint32_t SendDeviceCommand(TuiHIDData& hid, DEVICE_COMMAND& command) {
    const std::uint32_t length = CommandPayloadLength(command.Header) + 8;
    const std::uint8_t reportId = ReportIdForLength(length);
    const std::uint32_t size = ReportSizeForId(reportId);
    PackCommandHeader(reportId, command.Header);
    // The report carries as much of the record as it and the record hold.
    auto transfer = NewTransfer(size);
    const std::size_t copied = std::min<std::size_t>({length, size, RecordBytesFromHeader});
    std::memcpy(ReportBytes(transfer->Data), command.Header, copied);
    return hid.HidFindAndSetFeatureReport(*transfer);
}

std::uint32_t QueryDeviceCommand(TuiHIDData& hid, DEVICE_COMMAND& command) {
    std::uint8_t header[8];
    std::memcpy(header, command.Header, sizeof(header));

    // The query header alone, on report 2.
    PackCommandHeader(HeaderReportId, command.Header);
    auto request = NewTransfer(ReportSizeForId(HeaderReportId));
    std::memcpy(ReportBytes(request->Data), command.Header, sizeof(command.Header));
    if (const std::uint32_t r = hid.HidFindAndSetFeatureReport(*request); r != 0)
        return r;

    // The reply, on the report that fits the reply's length.
    std::memcpy(command.Header, header, sizeof(header));
    const std::uint32_t payload = CommandPayloadLength(command.Header);
    const std::uint8_t reportId = ReportIdForLength(payload + 8);
    const std::uint32_t size = ReportSizeForId(reportId);
    PackCommandHeader(reportId, command.Header);
    auto reply = NewTransfer(size);
    std::uint8_t* bytes = ReportBytes(reply->Data);
    std::memcpy(bytes, command.Header, sizeof(command.Header));
    std::memcpy(bytes + 8, command.Payload,
                std::min<std::size_t>({payload, size - 8, sizeof(command.Payload)}));
    if (const std::uint32_t r = hid.HidFindAndGetFeatureReport(*reply); r != 0)
        return r;

    // A reply longer than the record (report 6) is cut to what the record holds.
    const std::size_t received = std::min<std::size_t>(reply->Data.DATASIZE, size);
    std::memcpy(command.Header, bytes, std::min(received, RecordBytesFromHeader));
    UnpackReplyHeader(command.Header);
    return 0;
}

std::uint32_t QueryDevice(TuiHIDData& hid, std::span<std::uint8_t> destination,
                          std::uint16_t length, std::uint16_t code) {
    DEVICE_COMMAND command;
    command.Header[0] = DEVCMD_QUERY;
    command.Header[1] = static_cast<std::uint8_t>(code);
    command.Header[2] = static_cast<std::uint8_t>(code >> 8);
    command.Header[3] = static_cast<std::uint8_t>(length);
    command.Header[4] = static_cast<std::uint8_t>(length >> 8);
    command.Header[5] = command.Header[6] = command.Header[7] = 0xFA;
    const std::uint32_t r = QueryDeviceCommand(hid, command);
    if (r == 0)
        std::copy_n(command.Payload,
                    std::min<std::size_t>({length, destination.size(), sizeof(command.Payload)}),
                    destination.begin());
    return r;
}

std::uint32_t QueryDeviceByte(TuiHIDData& hid, std::uint8_t& destination, std::uint16_t code) {
    return QueryDevice(hid, std::span(&destination, 1), 1, code);
}

std::uint32_t QueryDeviceBlock(TuiHIDData& hid, TDeviceBlock& destination, std::uint16_t code) {
    return QueryDevice(hid, destination, DeviceBlockLength, code);
}

void SetDeviceMode(TuiHIDData& hid, std::uint8_t mode) {
    DEVICE_COMMAND command;
    command.Header[0] = DEVCMD_MODE;
    command.Header[1] = mode;
    SendDeviceCommand(hid, command);
}

std::uint32_t GetProfileCpiIndex(TuiHIDData& hid, std::uint8_t profile, std::int32_t& destination) {
    TDeviceBlock block{};
    const std::uint32_t r =
        QueryDeviceBlock(hid, block, static_cast<std::uint16_t>(QUERY_PROFILE_CPI + 256 * profile));
    if (r == 0)
        destination = block[1];
    return r;
}

} // namespace zq
