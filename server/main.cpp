#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <thread>

#include "postgres_score_store.h"
#include "score_server.h"
#include "sqlite_score_store.h"
#include "server_options.h"
#include "web_files.h"

namespace {

std::unique_ptr<ScoreStore> openStore(const ServerOptions& options) {
    if (isPostgresUri(options.database)) return std::make_unique<PostgresScoreStore>(options.database, options.pool);
    return std::make_unique<SqliteScoreStore>(options.database);
}

// Every open connection is a file: take all the kernel allows this process.
void allowManyConnections() {
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) != 0) return;
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
}

// After the line that gives the port, which scripts read first.
void sayWhatIsPlayed(const std::string& webRoot) {
    if (WebFiles(webRoot).playable())
        std::printf("serving the browser game in %s under /play/\n", webRoot.c_str());
    else
        std::printf("no browser game in %s (no index.html): /play/ answers 404 until the quadrune-web package is "
                    "installed there or --web-root names a build\n", webRoot.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    ServerOptions options;
    switch (readServerOptions(argc, argv, options)) {
        case OptionsRead::Help: return std::fputs(kServerHelp, stdout), 0;
        case OptionsRead::Version: return std::fputs(kServerVersion, stdout), 0;
        case OptionsRead::Wrong: return 2;
        case OptionsRead::Run: break;
    }
    ServerSettings& settings = options.settings;
    // One line a request: journald reads them as they come.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    allowManyConnections();

    // Every thread started from here on leaves SIGINT and SIGTERM to the waiter below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);
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
        sayWhatIsPlayed(settings.routes.webRoot);
        server.run();
        // run() also ends without a signal when the daemon cannot start.
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
