#pragma once
#include <string>

#include "score_server.h"

struct ServerOptions {
    ServerSettings settings;
    std::string database = "scores.sqlite3";
    int pool = 8;
};

enum class OptionsRead { Run, Help, Version, Wrong };
// Reads the command line; a wrong one is said on standard error, GNU style.
OptionsRead readServerOptions(int argc, char** argv, ServerOptions& options);
bool isPostgresUri(const std::string& database);

extern const char* const kServerHelp;
extern const char* const kServerVersion;
