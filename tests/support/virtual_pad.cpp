#include "virtual_pad.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "test_support.h"

namespace {
const char* const kCommands = "pad-commands";
const char* const kStatus = "pad-status";
}  // namespace

std::map<std::string, std::string> VirtualPad::env(std::map<std::string, std::string> more) const {
    const std::string here = std::filesystem::current_path();
    more["LD_PRELOAD"] = QUADRUNE_VIRTUAL_PAD;
    more["QUADRUNE_PAD_COMMANDS"] = here + "/" + kCommands;
    more["QUADRUNE_PAD_STATUS"] = here + "/" + kStatus;
    return more;
}

void VirtualPad::send(const std::string& command) {
    std::ofstream(kCommands, std::ios::app) << command + "\n" << std::flush;
    ++sent_;
}

VirtualPad::Status VirtualPad::status() const {
    Status s;
    if (FILE* in = std::fopen(kStatus, "r")) {
        if (std::fscanf(in, "commands %d at %d reads %d listings %d quits %d pads %d", &s.commands, &s.at, &s.reads,
                        &s.listings, &s.quits, &s.pads) != 6)
            s = Status{};
        std::fclose(in);
    }
    return s;
}

bool VirtualPad::set(const char* part, int index, int value, int timeoutMs) {
    send(std::string(part) + " " + std::to_string(index) + " " + std::to_string(value));
    return waitFor([&] {
        Status s = status();
        return s.commands == sent_ && s.reads >= s.at + 2;
    }, timeoutMs);
}

bool VirtualPad::idle(int reads, int timeoutMs) {
    const int from = status().reads;
    return waitFor([&] { return status().reads >= from + reads; }, timeoutMs);
}
