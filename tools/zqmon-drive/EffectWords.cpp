#include "EffectWords.h"

#include "DriveScript.h"
#include "app/Messages.h"
#include "driver/CpiUnit.h"
#include "hid/DeviceCommand.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace zq::drive {

namespace {

using Bytes = std::vector<std::uint8_t>;

// A feature report: the report id, H0 ... H6 of the command header, then the payload.
constexpr std::size_t CommandByte = 1;
constexpr std::size_t PayloadStart = 8;

std::string Hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*x", digits, static_cast<unsigned>(value));
    return text;
}

unsigned Le16(const Bytes& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8;
}

// A query header: H1, H2 the code, H3, H4 the length of the reply.
std::string QueryInWords(const Bytes& report, bool reply) {
    const unsigned code = Le16(report, 2);
    const unsigned length = Le16(report, 4);
    const std::string profile = std::to_string(code >> 8);
    if (code == QUERY_CURRENT_PROFILE) {
        if (!reply)
            return "ask active profile";
        if (report.size() > PayloadStart)
            return "reply: profile " + std::to_string(report[PayloadStart]);
    } else if ((code & 0xFF) == QUERY_PROFILE_CPI) {
        if (!reply)
            return "ask CPI level of profile " + profile;
        // The CPI level is byte 1 of the profile's block.
        if (report.size() > PayloadStart + 1)
            return "reply: profile " + profile + " on CPI level " +
                   std::to_string(report[PayloadStart + 1]);
    } else {
        const std::string bytes = std::to_string(length) + " bytes";
        return reply ? "reply to query " + Hex(code, 4) + " (" + bytes + " asked)"
                     : "ask query " + Hex(code, 4) + " (reply of " + bytes + ")";
    }
    return "(unreadable report)";
}

std::string FeatureReportInWords(const std::string& details, bool reply) {
    const auto report = HexBytesOf(details);
    if (!report || report->size() <= CommandByte)
        return "(unreadable report)";
    const std::uint8_t command = (*report)[CommandByte];
    if (command == DEVCMD_MODE && !reply)
        return report->size() > CommandByte + 1
                   ? "mode " + std::to_string((*report)[CommandByte + 1])
                   : "(unreadable report)";
    if (command == DEVCMD_QUERY)
        return report->size() >= 6 ? QueryInWords(*report, reply) : "(unreadable report)";
    return (reply ? "reply to command " : "command ") + Hex(command, 2) + " on report " +
           std::to_string((*report)[0]) + ", " + std::to_string(report->size()) + " bytes";
}

// A level as the record holds it: one CPI for both axes, or X x Y.
std::string CpiText(const CPI_VALUE& value) {
    const std::uint32_t x = value.X;
    const std::uint32_t y = value.Y;
    return x == y ? std::to_string(x) : std::to_string(x) + "x" + std::to_string(y);
}

std::string CpiRecordInWords(const Bytes& bytes) {
    CPI_UNIT unit;
    std::memcpy(&unit, bytes.data(), sizeof unit);
    std::string words = "CPI record, ";
    words += unit.NeedApplyNewCPI == 0 ? "no apply (last record)" : "apply";
    words += ", current level " + std::to_string(unit.CurrentCpi);
    // The levels the profile uses, of the ones the monitor fills.
    std::string asked, hardware;
    for (int i = 0; i < SentCpiLevels; ++i) {
        if (unit.STCpi[i].Enable == 0)
            continue;
        if (!asked.empty()) {
            asked += '/';
            hardware += '/';
        }
        asked += CpiText(unit.STCpi[i]);
        hardware += CpiText(unit.HWCpi[i]);
    }
    if (asked.empty())
        return words + ", no level in use";
    return words + ", levels " + asked + " on hardware " + hardware;
}

// "<code in 8 hex digits> <bytes in hex>"
std::string DriverRequestInWords(const std::string& details) {
    const auto space = details.find(' ');
    const auto code = HexBytesOf(details.substr(0, space));
    const auto bytes = HexBytesOf(space == std::string::npos ? "" : details.substr(space + 1));
    if (!code || code->size() != 4 || !bytes)
        return "(unreadable request)";
    const std::uint32_t request =
        std::uint32_t{(*code)[0]} << 24 | (*code)[1] << 16 | (*code)[2] << 8 | (*code)[3];
    if (request == IOCTL_SET_CPI_UNIT)
        return bytes->size() >= sizeof(CPI_UNIT)
                   ? CpiRecordInWords(*bytes)
                   : "CPI record, too short to read (" + std::to_string(bytes->size()) + " bytes)";
    if (request == IOCTL_SET_CURRENT_CPI && bytes->size() == 2)
        return "current CPI level " + std::to_string(Le16(*bytes, 0));
    return "request " + Hex(request, 8) + " to the filter driver, " +
           std::to_string(bytes->size()) + " bytes";
}

bool IsInteger(const std::string& text) {
    const std::size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
    return text.size() > digits &&
           text.find_first_not_of("0123456789", digits) == std::string::npos;
}

// "<message> <wParam> <lParam>", received by the configuration program.
std::string PeerMessageInWords(const std::string& details) {
    const auto words = Words(details);
    if (words.size() != 3 || !IsInteger(words[1]) || !IsInteger(words[2]))
        return "(unreadable message)";
    const auto message = Number(words[0], 0, 0xFFFFFFFFll);
    if (!message)
        return "(unreadable message)";
    const std::string to = "to the configuration program: ";
    const std::string& value = words[1];
    switch (*message) {
    case MSG_DEVICE_PROFILE_CHANGED:
        return to + "the mouse switched to profile " + value;
    case MSG_DEVICE_CPI_CHANGED:
        return to + "the mouse switched to CPI level " + value;
    case MSG_DEVICE_NOTICE6:
        return to + "the mouse's status notice 6, value " + value;
    case MSG_MONITOR_EXIT:
        return to + "the monitor ends";
    default:
        return to + "message " + words[0] + ", wParam " + value + ", lParam " + words[2];
    }
}

} // namespace

std::optional<std::string> EffectInWords(const std::string& channel, const std::string& details) {
    if (channel == "hid-set" || channel == "hid-get")
        return FeatureReportInWords(details, channel == "hid-get");
    if (channel == "hid-write") {
        const auto report = HexBytesOf(details);
        if (!report || report->empty())
            return "(unreadable report)";
        return "output report " + std::to_string((*report)[0]) + ", " +
               std::to_string(report->size()) + " bytes";
    }
    if (channel == "driver")
        return DriverRequestInWords(details);
    if (channel == "peer" || channel == "peer-send" || channel == "peer-post")
        return PeerMessageInWords(details);
    if (channel == "peer-window") {
        if (details == "started")
            return "the configuration program started";
        if (details == "shown")
            return "the configuration program's window was shown";
        return std::nullopt;
    }
    if (channel == "exit" && IsInteger(details))
        return "the monitor ended with exit code " + details;
    return std::nullopt;
}

std::optional<std::string> WordsLine(std::uint64_t time, const std::string& channel,
                                     const std::string& details) {
    auto words = EffectInWords(channel, details);
    if (!words)
        return std::nullopt;
    const std::size_t indent = ("t=" + std::to_string(time) + " ").size();
    return std::string(indent, ' ') + *words;
}

} // namespace zq::drive
