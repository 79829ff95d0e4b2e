#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <thread>

#include "postgres_score_store.h"
#include "score_server.h"
#include "sqlite_score_store.h"

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

int usage() {
    std::fprintf(stderr,
                 "usage: quadrune-score-server [--listen ADDRESS:PORT] [--database FILE|URI] [--rate N] [--pool N]\n"
                 "                            [--per-address N]\n"
                 "  --listen    where to accept connections (127.0.0.1:8080); port 0 picks a free one\n"
                 "  --database  a SQLite file, created if missing (scores.sqlite3), or a PostgreSQL\n"
                 "              connection URI, postgresql://USER@HOST:PORT/DATABASE\n"
                 "  --rate      uploads a second allowed per client address, bursts of twice that (5)\n"
                 "  --per-address  connections of one client address served at once (4); behind a\n"
                 "              reverse proxy every connection has its address, so allow 16\n"
                 "  --pool      connections kept to PostgreSQL (8)\n"
                 "Prints \"listening on ADDRESS:PORT\" once it accepts connections.\n");
    return 2;
}

struct Options {
    ServerSettings settings;
    std::string database = "scores.sqlite3";
    int pool = 8;
};

bool parseOption(const std::string& option, const char* value, Options& options) {
    if (option == "--listen") return parseListen(value, options.settings);
    if (option == "--database") return options.database = value, true;
    if (option == "--rate") return (options.settings.submitsPerSecond = std::atof(value)) > 0;
    if (option == "--pool") return (options.pool = std::atoi(value)) > 0 && options.pool <= 1000;
    if (option == "--per-address") return (options.settings.perAddress = std::atoi(value)) > 0;
    return false;
}

bool isPostgresUri(const std::string& database) {
    return database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0;
}

std::unique_ptr<ScoreStore> openStore(const Options& options) {
    if (isPostgresUri(options.database)) return std::make_unique<PostgresScoreStore>(options.database, options.pool);
    return std::make_unique<SqliteScoreStore>(options.database);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i + 1 < argc; i += 2)
        if (!parseOption(argv[i], argv[i + 1], options)) return usage();
    if (argc % 2 == 0) return usage();
    ServerSettings& settings = options.settings;

    // Every thread started from here on leaves SIGINT and SIGTERM to the waiter below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    try {
        std::unique_ptr<ScoreStore> store = openStore(options);
        ScoreServer server(*store, settings);
        int port = server.bind();
        if (port < 0) {
            std::fprintf(stderr, "cannot listen on %s:%d\n", settings.address.c_str(), settings.port);
            return 1;
        }
        std::thread stopper([&] {
            int signal = 0;
            sigwait(&stopSignals, &signal);
            server.stop();
        });
        std::printf("listening on %s:%d\n", settings.address.c_str(), port);
        std::fflush(stdout);
        server.run();
        // run() also ends without a signal when the listening socket fails.
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
