#pragma once

// The options the game takes; anything else goes to GLUT as before.
struct CommandLine {
    enum Action { Play, Help, Version, VerifyReplay, Refused } action = Play;
    const char* file = nullptr;
    const char* refusal = nullptr;  // for Refused: what was wrong
};

CommandLine readCommandLine(int argc, char** argv);
// Runs what the command line asks for without a window; the exit code.
int runWithoutWindow(const CommandLine& line);
