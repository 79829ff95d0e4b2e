#pragma once
#include <string>

// The options the game takes; anything else goes to GLUT as before.
struct CommandLine {
    enum Action { Play, Help, Version, VerifyReplay, Watch, Refused } action = Play;
    const char* file = nullptr;
    std::string refusal;  // for Refused: what was wrong
    bool daily = false;   // play today's deal at once
};

CommandLine readCommandLine(int argc, char** argv);
// Runs what the command line asks for without a window; the exit code.
int runWithoutWindow(const CommandLine& line);
// For watching: false, with the reason on standard error, when the file is
// no replay of ours or does not play to its end.
struct Replay;
bool loadWatchedReplay(const char* path, Replay& replay);
