// zqmon-sim: the monitor on a simulated mouse, driver, microphone and
// configuration program, driven by a script (or standard input) on virtual time.
//
//   zqmon-sim [--registry DIR] [--config FILE] [--words] [SCRIPT]

#include "Simulator.h"

#include <fstream>
#include <iostream>

namespace {

int Usage() {
    std::cerr
        << "usage: zqmon-sim [--registry DIR] [--config FILE] [--words] [SCRIPT]\n"
           "commands: plug, unplug, active-profile P, cpi-index P I, button BIT, report ID HEX,\n"
           "          status SUB VALUE, peer on|off, send MSG LPARAM,\n"
           "          mic present|absent|muted|unmuted, resume, menu config|exit,\n"
           "          bind P BUTTON FUNCTION, wait MS, quit\n"
           "(bind: the configuration program stores profile P with the button bound\n"
           " to the function, makes it current and tells the monitor to apply it)\n"
           "--words: each line is followed by what it means in plain words\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    zq::sim::SimulatorOptions options;
    const char* scriptFile = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--registry" || arg == "--config") && i + 1 < argc) {
            (arg == "--registry" ? options.RegistryFolder : options.ConfigFile) = argv[++i];
        } else if (arg == "--words") {
            options.Words = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        } else if (!arg.empty() && arg[0] != '-' && !scriptFile) {
            scriptFile = argv[i];
        } else {
            return Usage();
        }
    }
    std::ifstream file;
    if (scriptFile) {
        file.open(scriptFile);
        if (!file) {
            std::cerr << "error: cannot read " << scriptFile << "\n";
            return 2;
        }
    }
    zq::sim::Simulator simulator(options, std::cout, std::cerr);
    simulator.Run(scriptFile ? static_cast<std::istream&>(file) : std::cin);
    return 0;
}
