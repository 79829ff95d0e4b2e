#include "app/command_line.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "rules/replay_file.h"
#include "rules/replay_check.h"

namespace {
const char* const kHelp =
    "Usage: quadrune [OPTION]... [FILE.qrp]\n"
    "A puzzle game of swapping blocks. Without options it opens its window and\n"
    "starts at the menu; every game is kept as a replay in replays/.\n"
    "\n"
    "      --daily               play today's deal at once: a TIMEATTACK game that\n"
    "                            everyone plays the same today, seeded with 00:00 UTC;\n"
    "                            its highscores are TIMEATTACK's, then the menu comes\n"
    "                            with the mode the options chose\n"
    "      --replay FILE         watch the replay FILE in the game's window: P\n"
    "                            pauses, Right plays 4x faster while held, Escape\n"
    "                            leaves; a FILE.qrp alone does the same\n"
    "      --verify-replay FILE  play the replay FILE again without a window or\n"
    "                            sound; print the result it produces and exit 0\n"
    "                            when that is the result FILE holds, else 1\n"
    "      --help                show this help and exit\n"
    "      --version             show the version and exit\n"
    "\n"
    "In a game the arrow keys move the cursor, Space swaps, P pauses, M turns the\n"
    "music on or off and Escape ends the game; a controller's d-pad or left stick,\n"
    "South (A), Start and Back or East (B) do the same. The menus take the mouse,\n"
    "the arrow keys with Return and Escape, or a controller. F11 or Alt+Enter\n"
    "switches between the window and full screen.\n"
    "\n"
    "Exit status: 0 after a normal end, 1 for a replay that does not hold or when\n"
    "the display goes away, 2 for a wrong command line or no window, 12 for a\n"
    "picture that cannot be loaded.\n";

const char* const kVersion =
    "quadrune 0.145a\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

int verifyReplay(const char* path) {
    Replay replay;
    std::string why;
    if (!loadReplayFile(path, replay, why)) {
        std::fprintf(stderr, "quadrune: %s: %s\n", path, why.c_str());
        return 1;
    }
    ReplayVerdict verdict = checkReplay(replay);
    if (!verdict.matches) {
        std::fprintf(stderr, "quadrune: %s: %s\n", path, verdict.why.c_str());
        return 1;
    }
    std::printf("%s\n", describeResult(replay.mode, verdict.row).c_str());
    return 0;
}
}  // namespace

CommandLine readCommandLine(int argc, char** argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0) {
            line.action = CommandLine::Help;
            return line;
        }
        if (std::strcmp(arg, "--version") == 0) {
            line.action = CommandLine::Version;
            return line;
        }
        if (std::strcmp(arg, "--daily") == 0) {
            line.daily = true;
            continue;
        }
        bool verify = std::strcmp(arg, "--verify-replay") == 0, watch = std::strcmp(arg, "--replay") == 0;
        size_t length = std::strlen(arg);
        if (verify || watch) {
            if (i + 1 >= argc) return {CommandLine::Refused, nullptr, "option '" + std::string(arg) + "' requires an argument"};
            line.action = verify ? CommandLine::VerifyReplay : CommandLine::Watch;
            line.file = argv[++i];
        } else if (length > 4 && std::strcmp(arg + length - 4, ".qrp") == 0 && arg[0] != '-') {
            line.action = CommandLine::Watch;
            line.file = arg;
        } else if (std::strncmp(arg, "--", 2) == 0 && std::strcmp(arg, "--") != 0) {
            return {CommandLine::Refused, nullptr, "unrecognized option '" + std::string(arg) + "'"};
        }
    }
    if (line.daily && line.action != CommandLine::Play)
        return {CommandLine::Refused, nullptr, "--daily plays a new game; it does not go with a replay"};
    return line;
}

bool loadWatchedReplay(const char* path, Replay& replay) {
    std::string why;
    // Only a game that plays to its end is shown; anything else could run on for ever.
    if (loadReplayFile(path, replay, why)) {
        ReplayVerdict verdict = checkReplay(replay);
        if (verdict.matches) return true;
        why = verdict.why;
    }
    std::fprintf(stderr, "quadrune: %s: %s\n", path, why.c_str());
    return false;
}

int runWithoutWindow(const CommandLine& line) {
    switch (line.action) {
        case CommandLine::Help: return std::fputs(kHelp, stdout), 0;
        case CommandLine::Version: return std::fputs(kVersion, stdout), 0;
        case CommandLine::VerifyReplay: return verifyReplay(line.file);
        case CommandLine::Refused:
            std::fprintf(stderr, "quadrune: %s\n", line.refusal.c_str());
            std::fputs("Try 'quadrune --help' for more information.\n", stderr);
            return 2;
        default: return 0;
    }
}
