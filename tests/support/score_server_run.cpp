#include "score_server_run.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "rules/highscore_records.h"

Server::Server(const std::string& database, const char* rate, const std::string& program,
               const std::vector<std::string>& more)
    : run([&] {
          std::vector<std::string> argv{program, "--listen", "127.0.0.1:0", "--database", database, "--rate", rate};
          argv.insert(argv.end(), more.begin(), more.end());
          return argv;
      }(), {}) {
    if (run.waitForOutput("\n", 20000)) port = std::atoi(run.out().substr(run.out().find(':') + 1).c_str());
}

std::string gameHeader(const std::string& target, std::size_t length) {
    return "POST " + target + " HTTP/1.1\r\nHost: localhost\r\nUser-Agent: Quadrune/0.145a Velmo/2006\r\n"
           "Content-Type: application/octet-stream\r\nConnection: keep-alive\r\nContent-Length: " +
           std::to_string(length) + "\r\n\r\n";
}

std::string gameRow(const char* name, uint32_t timeMs) {
    HighscoreEntry row{};
    std::memcpy(row.name, name, std::min(std::strlen(name), sizeof row.name));
    row.removedByKind[1] = 3;
    row.removedByKind[2] = 6;
    row.removedByKind[4] = 3;
    row.blocksDestroyed = 12;
    row.score = 3 * 10 + 6 * 20 + 3 * 40;
    row.time = timeMs;
    return std::string(reinterpret_cast<const char*>(&row), sizeof row);
}

std::string post(const std::string& row, int mode) {
    return gameHeader("/score.php?mode=" + std::to_string(mode)) + "data=" + row + "0120";
}

std::string replayPost(const std::string& file, int mode) {
    return "POST /replay.php?mode=" + std::to_string(mode) +
           " HTTP/1.1\r\nHost: localhost\r\nContent-Type: application/x-quadrune-replay\r\nContent-Length: " +
           std::to_string(file.size()) + "\r\nConnection: close\r\n\r\n" + file;
}

int sqliteRows(const std::string& table, const std::string& where) {
    sqlite3* db = nullptr;
    int rows = -1;
    sqlite3_stmt* query = nullptr;
    if (sqlite3_open_v2("scores.sqlite3", &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, ("SELECT count(*) FROM " + table + " " + where).c_str(), -1, &query, nullptr) == SQLITE_OK &&
        sqlite3_step(query) == SQLITE_ROW)
        rows = sqlite3_column_int(query, 0);
    sqlite3_finalize(query);
    sqlite3_close(db);
    return rows;
}

std::string output(const std::vector<std::string>& argv) {
    ProgramRun program(argv, {});
    if (program.waitForExit(90000) != 0) throw std::runtime_error(argv[1] + " failed: " + program.out() + program.err());
    return program.out();
}

namespace {
std::vector<std::string> cluster(const char* command) {
    return {"/bin/bash", QUADRUNE_SOURCE_DIR "/tools/scratch_postgres.sh", command, "pg"};
}
}  // namespace

Database::Database(bool onPostgres) : postgres(onPostgres) {
    if (postgres) start();
}
Database::~Database() {
    if (postgres) ProgramRun(cluster("stop"), {}).waitForExit(90000);
}
void Database::start() { uri = output(cluster("start")), uri.pop_back(); }  // the line's end
void Database::stop() { output(cluster("stop")); }
std::string Database::query(const std::string& sql) const { return output({"/usr/bin/psql", "-X", "-At", "-c", sql, uri}); }
int Database::count(const std::string& table, const std::string& where) const {
    return postgres ? std::atoi(query("SELECT count(*) FROM " + table + " " + where).c_str()) : sqliteRows(table, where);
}
