// zqdev: drives the virtual mouse of the Windows tests from a shell (under wine),
// for scripts that run the real program against it and print what it received.
//
//   zqdev install | plug [vendor] | unplug [vendor] | state
//   zqdev input <hex> [mouse] | profile P | cpi P I
//   zqdev fault ID none|fail|stall MS|short|garbage | reset
//   zqdev log | clear
//
// Exit code 0 on success, 1 on failure, 2 on a usage error.
#include "devices/VirtualMouse.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using zq::devices::MouseFault;
using zq::devices::MouseTransfer;
using zq::devices::VirtualMouse;

int Usage() {
    std::fputs("usage: zqdev install | plug [vendor] | unplug [vendor] | state\n"
               "       zqdev input <hex> [mouse] | profile P | cpi P I\n"
               "       zqdev fault ID none|fail|stall MS|short|garbage | reset\n"
               "       zqdev log | clear\n",
               stderr);
    return 2;
}

int Result(bool ok, const char* what) {
    if (!ok)
        std::fprintf(stderr, "zqdev: %s failed\n", what);
    return ok ? 0 : 1;
}

bool ParseNumber(const char* text, unsigned long max, unsigned long& value) {
    char* end = nullptr;
    value = std::strtoul(text, &end, 0);
    return end != text && *end == '\0' && value <= max;
}

bool ParseHex(const std::string& text, std::vector<std::uint8_t>& bytes) {
    std::string digits;
    for (char c : text)
        if (c != ' ' && c != ':' && c != '-')
            digits.push_back(c);
    if (digits.empty() || digits.size() % 2 != 0)
        return false;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        unsigned long byte = 0;
        const std::string pair = "0x" + digits.substr(i, 2);
        if (!ParseNumber(pair.c_str(), 0xFF, byte))
            return false;
        bytes.push_back(static_cast<std::uint8_t>(byte));
    }
    return true;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char digits[4];
    for (auto byte : bytes) {
        std::snprintf(digits, sizeof(digits), "%02x", byte);
        text += digits;
    }
    return text;
}

const char* KindName(MouseTransfer::Kind kind) {
    switch (kind) {
    case MouseTransfer::Kind::SetFeature:
        return "set";
    case MouseTransfer::Kind::GetFeature:
        return "get";
    case MouseTransfer::Kind::Write:
        return "write";
    }
    return "?";
}

int PrintLog() {
    for (const auto& t : VirtualMouse::Transfers()) {
        std::printf("%s id=%u len=%u status=%08x %s", KindName(t.Type), t.ReportId, t.Length,
                    t.Status, Hex(t.Bytes).c_str());
        if (t.Type == MouseTransfer::Kind::GetFeature)
            std::printf(" -> %s", Hex(t.Answer).c_str());
        std::printf("\n");
    }
    if (auto dropped = VirtualMouse::DroppedTransfers())
        std::printf("(%u transfers not recorded: log full)\n", dropped);
    return 0;
}

int SetFault(int argc, char** argv) {
    unsigned long id = 0, ms = 0;
    if (argc < 4 || !ParseNumber(argv[2], 255, id))
        return Usage();
    const std::string kind = argv[3];
    MouseFault fault;
    if (kind == "none")
        fault = MouseFault::None;
    else if (kind == "fail")
        fault = MouseFault::Fail;
    else if (kind == "stall" && argc >= 5 && ParseNumber(argv[4], 0xFFFFFFFFul, ms))
        fault = MouseFault::Stall;
    else if (kind == "short")
        fault = MouseFault::Short;
    else if (kind == "garbage")
        fault = MouseFault::Garbage;
    else
        return Usage();
    return Result(VirtualMouse::SetFault(static_cast<std::uint8_t>(id), fault,
                                         static_cast<std::uint32_t>(ms)),
                  "fault");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    const bool vendorOnly = argc >= 3 && std::string(argv[2]) == "vendor";
    unsigned long a = 0, b = 0;

    if (command == "install") {
        const std::string problem = VirtualMouse::Install();
        if (!problem.empty())
            std::fprintf(stderr, "zqdev: %s\n", problem.c_str());
        return problem.empty() ? 0 : 1;
    }
    if (command == "plug")
        return Result(VirtualMouse::Plug(vendorOnly), "plug");
    if (command == "unplug")
        return Result(VirtualMouse::Unplug(vendorOnly), "unplug");
    if (command == "state") {
        const auto state = VirtualMouse::State();
        if (!state)
            return Result(false, "state");
        std::printf("profile=%u cpi=%u,%u,%u,%u,%u mode=%u mouse=%s vendor=%s stalled=%u\n",
                    state->ActiveProfile, state->CpiIndex[0], state->CpiIndex[1],
                    state->CpiIndex[2], state->CpiIndex[3], state->CpiIndex[4], state->Mode,
                    state->MouseStarted ? "on" : "off", state->VendorStarted ? "on" : "off",
                    state->Stalled);
        return 0;
    }
    if (command == "input") {
        std::vector<std::uint8_t> report;
        if (argc < 3 || !ParseHex(argv[2], report))
            return Usage();
        const bool mouse = argc >= 4 && std::string(argv[3]) == "mouse";
        return Result(VirtualMouse::SendInput(report, mouse ? zq::devices::MouseInterface::Mouse
                                                            : zq::devices::MouseInterface::Vendor),
                      "input");
    }
    if (command == "profile") {
        if (argc < 3 || !ParseNumber(argv[2], 4, a))
            return Usage();
        return Result(VirtualMouse::SetActiveProfile(static_cast<std::uint8_t>(a)), "profile");
    }
    if (command == "cpi") {
        if (argc < 4 || !ParseNumber(argv[2], 4, a) || !ParseNumber(argv[3], 255, b))
            return Usage();
        return Result(
            VirtualMouse::SetCpiIndex(static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b)),
            "cpi");
    }
    if (command == "fault")
        return SetFault(argc, argv);
    if (command == "reset")
        return Result(VirtualMouse::Reset(), "reset");
    if (command == "log")
        return PrintLog();
    if (command == "clear")
        return Result(VirtualMouse::ClearTransfers(), "clear");
    return Usage();
}
