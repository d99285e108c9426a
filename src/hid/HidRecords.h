#pragma once
// The records of the HID transport: one report buffer and the argument of the
// write, feature and existence operations of TuiHIDData.

#include "profiles/DeviceUsage.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace zq {

#pragma pack(push, 1)
// One report: the report id, then the bytes that follow it on the wire.
// DATASIZE counts per operation: for feature reports the whole report with its
// id byte; for HidFindAndWriteDevice the bytes after the id; for
// HidFindAndWriteDeviceBYHID the bytes from the id on.
struct THidReallyData {
    std::uint8_t ReportID = 0;
    std::uint8_t DATAReally[65535] = {};
    std::uint32_t DATASIZE = 0;
};
#pragma pack(pop)
static_assert(sizeof(THidReallyData) == 65540);
static_assert(offsetof(THidReallyData, DATAReally) == 1);
static_assert(offsetof(THidReallyData, DATASIZE) == 65536);

// The bytes of a report from its id on: the id and DATAReally are contiguous.
inline constexpr std::size_t MaxReportBytes = 1 + sizeof(THidReallyData::DATAReally);
inline std::uint8_t* ReportBytes(THidReallyData& data) {
    return reinterpret_cast<std::uint8_t*>(&data);
}
inline const std::uint8_t* ReportBytes(const THidReallyData& data) {
    return reinterpret_cast<const std::uint8_t*>(&data);
}

struct THIDDataParam {
    USAGE_AND_PAGE UsageAndPage;    // top-level collection the interface must have
    std::u16string DeviceID;        // one hardware identifier; empty or "*": the include list
    THidReallyData Data;            // report to send, or buffer for the report received
    std::uint32_t DeviceHandle = 0; // not read by any operation
};

} // namespace zq
