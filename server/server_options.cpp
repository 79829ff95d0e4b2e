#include "server_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

const char* const kServerHelp =
    "Usage: quadrune-score-server [OPTION]...\n"
    "Keeps Quadrune's highscores: takes the game's uploads and replays over HTTP, plays\n"
    "each replay again with the game's rules, and serves the leaderboard.\n"
    "\n"
    "      --listen ADDRESS:PORT   where to accept connections (127.0.0.1:8080); port 0\n"
    "                              picks a free one\n"
    "      --database FILE|URI     a SQLite file, created if missing (scores.sqlite3), or\n"
    "                              postgresql://USER@HOST:PORT/DATABASE\n"
    "      --require-replay        list only rows whose replay was played again here;\n"
    "                              the others are still stored\n"
    "      --replay-max-age AGE    refuse replays of games begun longer ago (7d); AGE is\n"
    "                              a number of seconds, or ends in s, m, h or d\n"
    "      --metrics-from NETWORK  also serve /metrics to this IPv4 network, as\n"
    "                              10.0.0.0/8 (loopback always may)\n"
    "      --rate N                uploads a second per client address, bursts of twice\n"
    "                              that (5)\n"
    "      --per-address N         connections of one client address open at once (4);\n"
    "                              behind a reverse proxy, allow more\n"
    "      --connections N         connections open at once, of all clients (20000)\n"
    "      --pool N                connections kept to PostgreSQL (8)\n"
    "      --web-root DIR          serve the browser build of the game in DIR under\n"
    "                              /play/ (/usr/share/quadrune-web, where the\n"
    "                              quadrune-web package installs it)\n"
    "      --help                  show this help and exit\n"
    "      --version               show the version and exit\n"
    "\n"
    "Prints \"listening on ADDRESS:PORT\" once it accepts connections, then a line for\n"
    "each request: client address, method, path, status, bytes and milliseconds.\n"
    "Without a build in the web root it says so once at start, and /play/ answers 404\n"
    "with a page telling what to install.\n";

const char* const kServerVersion =
    "quadrune-score-server 0.145\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

namespace {
bool parseListen(std::string text, ServerSettings& settings) {
    auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
    std::string port = text.substr(colon + 1);
    if (port.find_first_not_of("0123456789") != std::string::npos || port.size() > 5) return false;
    settings.port = std::atoi(port.c_str());
    settings.address = text.substr(0, colon);
    if (settings.address.size() > 2 && settings.address.front() == '[' && settings.address.back() == ']')
        settings.address = settings.address.substr(1, settings.address.size() - 2);
    return settings.port <= 65535;
}

bool parseAge(const std::string& text, uint32_t& seconds) {
    char* end = nullptr;
    unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (end == text.c_str() || text[0] == '-') return false;
    std::string unit = end;
    unsigned long long scale = unit.empty() || unit == "s" ? 1 : unit == "m" ? 60 : unit == "h" ? 3600 : unit == "d" ? 86400 : 0;
    if (scale == 0 || value == 0 || value > 0xFFFFFFFFull / scale) return false;
    seconds = uint32_t(value * scale);
    return true;
}

bool positive(const char* text, int& value, int most) {
    char* end = nullptr;
    long number = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || number <= 0 || number > most) return false;
    value = int(number);
    return true;
}

bool parseValue(const std::string& option, const char* value, ServerOptions& options) {
    ServerSettings& s = options.settings;
    if (option == "--listen") return parseListen(value, s);
    if (option == "--database") return options.database = value, true;
    if (option == "--rate") return (s.submitsPerSecond = std::atof(value)) > 0;
    if (option == "--pool") return positive(value, options.pool, 1000);
    if (option == "--per-address") return positive(value, s.perAddress, 100000);
    if (option == "--connections") return positive(value, s.connections, 1000000);
    if (option == "--replay-max-age") return parseAge(value, s.routes.replayMaxAgeSeconds);
    if (option == "--metrics-from") return s.metricsFrom = value, !s.metricsFrom.empty();
    if (option == "--web-root") return s.routes.webRoot = value, !s.routes.webRoot.empty();
    return false;
}

OptionsRead wrong(const std::string& why) {
    std::fprintf(stderr, "quadrune-score-server: %s\nTry 'quadrune-score-server --help' for more information.\n", why.c_str());
    return OptionsRead::Wrong;
}
}  // namespace

bool isPostgresUri(const std::string& database) {
    return database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0;
}

OptionsRead readServerOptions(int argc, char** argv, ServerOptions& options) {
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--help") return OptionsRead::Help;
        if (option == "--version") return OptionsRead::Version;
        if (option == "--require-replay") {
            options.settings.routes.requireReplay = true;
            continue;
        }
        if (option.compare(0, 2, "--") != 0) return wrong("unexpected argument '" + option + "'");
        if (i + 1 >= argc) return wrong("option '" + option + "' requires an argument");
        if (!parseValue(option, argv[i + 1], options)) return wrong("invalid argument '" + std::string(argv[i + 1]) + "' for '" + option + "'");
        ++i;
    }
    return OptionsRead::Run;
}
