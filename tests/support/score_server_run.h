#pragma once
#include <string>
#include <vector>

#include "game_driver.h"

// The real score server on a free loopback port, which it prints first. A
// second one runs through a link of another name, for output files of its own.
struct Server {
    ProgramRun run;
    int port = 0;
    explicit Server(const std::string& database, const char* rate = "1000",
                    const std::string& program = QUADRUNE_SCORE_SERVER, const std::vector<std::string>& more = {});
};

// The header block exactly as the game sends it, up to and including "data=".
std::string gameHeader(const std::string& target, std::size_t length = 129);
// A game of 65 s: runs of kinds 1, 2 and 4.
std::string gameRow(const char* name = "ZX81", uint32_t timeMs = 65000);
std::string post(const std::string& row, int mode = 1);
// A replay as the game sends it to POST /replay.php?mode=N.
std::string replayPost(const std::string& file, int mode);
int sqliteRows(const std::string& table, const std::string& where);
// What a program printed; throws, with what it said, when it fails.
std::string output(const std::vector<std::string>& argv);

// Where the test's servers keep their rows: a SQLite file, or a PostgreSQL
// cluster of the test's own on a free loopback port, stopped at the end.
// Without PostgreSQL the constructor throws: these tests fail, never skip.
struct Database {
    bool postgres;
    std::string uri = "scores.sqlite3";
    explicit Database(bool onPostgres);
    ~Database();
    void start();
    void stop();  // at once, as a crash would
    std::string query(const std::string& sql) const;
    int storedRows(const std::string& where = "") const { return count("scores", where); }
    int count(const std::string& table, const std::string& where = "") const;
};
