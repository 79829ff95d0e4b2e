#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "rules/game_state.h"
#include "rules/replay_file.h"
#include "rules/daily_deal.h"
#include "daily_board.h"
#include "bot_game.h"
#include "client_address.h"
#include "loopback_server.h"
#include "score_server_run.h"
#include "test_support.h"

// The score server plays every replay sent to it again, with the game's own
// rules, and lists a row as verified only when the replay ends with it.
namespace {
uint32_t now() { return uint32_t(std::time(nullptr)); }

// A TIMEATTACK game of 20 s that ended ten minutes ago.
BotGameSettings recentGame(const char* name, uint32_t seedOffset = 0) {
    BotGameSettings game;
    game.mode = 2, game.frames = 400, game.name = name;
    game.seed = now() - 600 - seedOffset;
    return game;
}

std::string fileOf(const Replay& replay) {
    std::vector<uint8_t> bytes = encodeReplay(replay);
    return std::string(bytes.begin(), bytes.end());
}

std::string jsonOf(int port, int mode = 2) {
    return exchange(port, {"GET /scores.json?mode=" + std::to_string(mode) + " HTTP/1.1\r\n\r\n"}).body;
}

class ReplayServer : public ::testing::TestWithParam<std::string> {
protected:
    Database db{GetParam() == "Postgres"};
};

struct Forgery {
    const char* what;
    std::function<std::string()> file;
    int mode, status;
    const char* reason;
};
}  // namespace

TEST_P(ReplayServer, RefusesEveryForgeryAndKeepsTheGenuineGameOnceAndVerified) {
    Server server(db.uri);
    ASSERT_GT(server.port, 0);
    const Replay genuine = playBotGame(recentGame("TRUE1"));
    auto edited = [&](const std::function<void(Replay&)>& edit) {
        return [=] {
            Replay replay = genuine;
            edit(replay);
            return fileOf(replay);
        };
    };
    auto bot = [](BotGameSettings game) { return [=] { return fileOf(playBotGame(game)); }; };
    BotGameSettings fast = recentGame("TRUE1"), future = recentGame("TRUE1"), old = recentGame("TRUE1");
    fast.frameMs = 40;
    future.seed = now() + 3600;
    old.seed = now() - 8 * 86400;
    const Forgery forgeries[] = {
        {"a better score in its row", edited([](Replay& r) { r.row.score += 10; }), 2, 422, "played again it ends"},
        {"another game's row", edited([](Replay& r) {
             BotGameSettings other = recentGame("OTHER", 99);
             other.frames = 300;  // a shorter game: its row differs in time whatever the boards
             r.row = playBotGame(other).row;
         }), 2, 422, "played again it ends"},
        {"a game ended early", edited([](Replay& r) {
             r.frames.events.insert(r.frames.events.begin(), InputEvent{InputEvent::KeyDown, kEscapeKey});
             ++r.frames.eventCounts[0];
         }), 2, 422, "frames go on after the game ended"},
        {"a clock run backwards", edited([](Replay& r) {
             size_t at = 100;
             while (r.frames.ticks[at] == r.frames.ticks[at + 1]) ++at;
             std::swap(r.frames.ticks[at], r.frames.ticks[at + 1]);
         }), 2, 422, "backwards"},
        {"a game sped up to 40 ms a frame", bot(fast), 2, 422, "50 ms pace"},
        {"a game begun an hour from now", bot(future), 2, 422, "later than the server's clock"},
        {"a game begun eight days ago", bot(old), 2, 422, "longer ago"},
        {"sent as another mode", [&] { return fileOf(genuine); }, 1, 400, "of mode 2, not 1"},
        {"a damaged byte", [&] { std::string f = fileOf(genuine); f[f.size() / 2] ^= 1; return f; }, 2, 422, "not a replay"},
        {"cut short", [&] { std::string f = fileOf(genuine); return f.substr(0, f.size() / 2); }, 2, 422, "not a replay"},
        {"no replay at all", [] { return std::string("data=") + gameRow() + "0120"; }, 2, 422, "not a replay"},
    };
    for (const Forgery& forgery : forgeries) {
        Answer answer = exchange(server.port, {replayPost(forgery.file(), forgery.mode)});
        EXPECT_EQ(answer.status, forgery.status) << forgery.what << ": " << answer.body;
        EXPECT_NE(answer.body.find(forgery.reason), std::string::npos) << forgery.what << ": " << answer.body;
        EXPECT_EQ(answer.body.find('\n'), answer.body.size() - 1) << forgery.what << ": one line";
    }
    Answer huge = exchange(server.port, {"POST /replay.php?mode=2 HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n"}, 2);
    EXPECT_EQ(huge.status, 413) << "decided from the headers: the 2 s wait is shorter than the server's";
    EXPECT_EQ(db.storedRows(), 0);
    EXPECT_EQ(db.count("replays"), 0);

    // The genuine game, twice: one row, verified, one copy of its replay.
    for (int time = 0; time < 2; ++time) EXPECT_EQ(exchange(server.port, {replayPost(fileOf(genuine), 2)}).body, "replayok");
    EXPECT_EQ(db.storedRows(), 1);
    EXPECT_EQ(db.count("replays"), 1);
    const std::string json = jsonOf(server.port);
    const std::size_t link = json.find("\"verified\":true,\"replay\":\"/replays/");
    ASSERT_NE(link, std::string::npos) << json;
    const std::size_t from = link + 26;
    const std::string path = json.substr(from, json.find('"', from) - from);
    Answer download = exchange(server.port, {"GET " + path + " HTTP/1.1\r\n\r\n"});
    EXPECT_EQ(download.status, 200);
    EXPECT_EQ(download.body, fileOf(genuine));
    EXPECT_EQ(exchange(server.port, {"GET /replays/999999.qrp HTTP/1.1\r\n\r\n"}).status, 404);

    // A row sent plainly stays unverified until its own replay comes.
    const Replay later = playBotGame(recentGame("LATER", 30));
    const std::string row(reinterpret_cast<const char*>(&later.row), sizeof later.row);
    ASSERT_EQ(exchange(server.port, {post(row, 2)}).body, "dataok");
    Replay wrong = later;
    wrong.row.score += 10;
    EXPECT_EQ(exchange(server.port, {replayPost(fileOf(wrong), 2)}).status, 422);
    EXPECT_NE(jsonOf(server.port).find("\"name\":\"LATER\""), std::string::npos);
    EXPECT_EQ(jsonOf(server.port).find("\"name\":\"LATER\",\"score\":" + std::to_string(later.row.score) + ",\"blocks\":" +
                                       std::to_string(later.row.blocksDestroyed) + ",\"time_ms\":" +
                                       std::to_string(later.row.time) + ",\"score_per_second\""),
              jsonOf(server.port).find("\"name\":\"LATER\"")) << jsonOf(server.port);
    EXPECT_EQ(db.count("scores", "WHERE name = 'LATER' AND verified " + std::string(db.postgres ? "" : "= 1")), 0);
    EXPECT_EQ(exchange(server.port, {replayPost(fileOf(later), 2)}).body, "replayok");
    EXPECT_EQ(db.storedRows(), 2) << "the replay marked the row sent before";
    EXPECT_EQ(db.count("scores", "WHERE verified " + std::string(db.postgres ? "" : "= 1")), 2);
}

namespace {
// A game of a day's deal, `frames` long: longer games rank higher in TIMEATTACK.
Replay dailyGame(const char* name, uint32_t seed, int frames) {
    BotGameSettings game;
    game.mode = 2, game.frames = frames, game.name = name, game.seed = seed;
    return playBotGame(game);
}

struct BoardRow {
    std::string name;
    uint32_t timeMs;
    std::string replay;
};

// The board of a day as /daily.json?date= lists it, in its order.
std::vector<BoardRow> boardOf(int port, uint32_t seed) {
    const std::string json = exchange(port, {"GET /daily.json?date=" + dayText(seed / kSecondsADay) + " HTTP/1.1\r\n\r\n"}).body;
    std::vector<BoardRow> rows;
    auto field = [&](std::size_t from, const std::string& key) {
        std::size_t at = json.find("\"" + key + "\":", from) + key.size() + 3;
        return json.substr(at, json.find_first_of(",}", at) - at);
    };
    for (std::size_t at = json.find("{\"place\":"); at != std::string::npos; at = json.find("{\"place\":", at + 1)) {
        std::string name = field(at, "name"), replay = field(at, "replay");
        rows.push_back({name.substr(1, name.size() - 2), uint32_t(std::stoul(field(at, "time_ms"))),
                        replay.substr(1, replay.size() - 2)});
    }
    return rows;
}

std::vector<std::string> namesOf(const std::vector<BoardRow>& rows) {
    std::vector<std::string> names;
    for (const BoardRow& row : rows) names.push_back(row.name);
    return names;
}
}  // namespace

// Today's deal: a verified TIMEATTACK game seeded with a day's 00:00 UTC is
// on that day's board, one row a name, its best, ranked by time. Plain rows,
// other games and forgeries never are, and a day's board stays.
TEST_P(ReplayServer, DailyBoardsRankEachNamesBestVerifiedGameOfItsDay) {
    const uint32_t today = dailySeed(now()), yesterday = today - kSecondsADay;
    const Replay aliceToday = dailyGame("ALICE", today, 300), bobToday = dailyGame("BOB", today, 500),
                 aliceYesterday = dailyGame("ALICE", yesterday, 600), bobYesterday = dailyGame("BOB", yesterday, 200),
                 aliceBetter = dailyGame("ALICE", today, 700), bobWorse = dailyGame("BOB", today, 400);
    ASSERT_LT(aliceToday.row.time, bobWorse.row.time);
    ASSERT_LT(bobWorse.row.time, bobToday.row.time);
    ASSERT_LT(bobToday.row.time, aliceBetter.row.time);
    ASSERT_LT(bobYesterday.row.time, aliceYesterday.row.time);
    {
        Server server(db.uri);
        ASSERT_GT(server.port, 0);
        for (const Replay* game : {&aliceToday, &bobToday, &aliceYesterday, &bobYesterday})
            ASSERT_EQ(exchange(server.port, {replayPost(fileOf(*game), 2)}).body, "replayok");
        // Neither a plain row, however long, nor a verified game of another seed is a daily entry.
        ASSERT_EQ(exchange(server.port, {post(gameRow("PLAIN", 3600000), 2)}).body, "dataok");
        Replay plainDaily = dailyGame("UNPROVEN", today, 800);
        const std::string row(reinterpret_cast<const char*>(&plainDaily.row), sizeof plainDaily.row);
        ASSERT_EQ(exchange(server.port, {post(row, 2)}).body, "dataok");
        ASSERT_EQ(exchange(server.port, {replayPost(fileOf(playBotGame(recentGame("NOTDAILY"))), 2)}).body, "replayok");
        EXPECT_EQ(namesOf(boardOf(server.port, today)), (std::vector<std::string>{"BOB", "ALICE"}));
        EXPECT_EQ(namesOf(boardOf(server.port, yesterday)), (std::vector<std::string>{"ALICE", "BOB"}));

        // A name's better game replaces its row; a worse one leaves it.
        for (const Replay* game : {&aliceBetter, &bobWorse})
            ASSERT_EQ(exchange(server.port, {replayPost(fileOf(*game), 2)}).body, "replayok");
        std::vector<BoardRow> board = boardOf(server.port, today);
        ASSERT_EQ(namesOf(board), (std::vector<std::string>{"ALICE", "BOB"}));
        EXPECT_EQ(board[0].timeMs, aliceBetter.row.time);
        EXPECT_EQ(board[1].timeMs, bobToday.row.time);
        EXPECT_EQ(exchange(server.port, {"GET " + board[0].replay + " HTTP/1.1\r\n\r\n"}).body, fileOf(aliceBetter))
            << "the row's replay is the game that put it there";

        // Forged daily games are refused with their reason and change no board.
        const uint32_t dayAfterTomorrow = today + 2 * kSecondsADay, eightDaysAgo = today - 8 * kSecondsADay;
        Replay inflated = aliceBetter;
        inflated.row.time += 60000;
        const Forgery forgeries[] = {
            {"a longer time in its row", [&] { return fileOf(inflated); }, 2, 422, "played again it ends"},
            {"the deal of the day after tomorrow", [&] { return fileOf(dailyGame("EARLY", dayAfterTomorrow, 900)); }, 2, 422,
             "later than the server's clock"},
            {"the deal of eight days ago", [&] { return fileOf(dailyGame("LATE", eightDaysAgo, 900)); }, 2, 422,
             "longer ago"},
        };
        for (const Forgery& forgery : forgeries) {
            Answer answer = exchange(server.port, {replayPost(forgery.file(), forgery.mode)});
            EXPECT_EQ(answer.status, forgery.status) << forgery.what << ": " << answer.body;
            EXPECT_NE(answer.body.find(forgery.reason), std::string::npos) << forgery.what << ": " << answer.body;
        }
        EXPECT_EQ(namesOf(boardOf(server.port, today)), (std::vector<std::string>{"ALICE", "BOB"}));
        EXPECT_TRUE(boardOf(server.port, dayAfterTomorrow).empty());
        EXPECT_TRUE(boardOf(server.port, eightDaysAgo).empty());
        EXPECT_EQ(db.count("daily_best"), 4);

        // /daily is today's board; a day that does not exist is refused.
        const std::string page = exchange(server.port, {"GET /daily HTTP/1.1\r\n\r\n"}).body;
        EXPECT_NE(page.find("<h1>TODAY'S BOARD</h1>"), std::string::npos) << page;
        EXPECT_LT(page.find("ALICE"), page.find("BOB")) << page;
        EXPECT_EQ(page.find("PLAIN"), std::string::npos);
        EXPECT_EQ(page.find("UNPROVEN"), std::string::npos);
        EXPECT_EQ(page.find("NOTDAILY"), std::string::npos);
        EXPECT_EQ(exchange(server.port, {"GET /daily/2026-02-29 HTTP/1.1\r\n\r\n"}).status, 400);
        EXPECT_EQ(exchange(server.port, {"GET /daily.json?date=tomorrow HTTP/1.1\r\n\r\n"}).status, 400);
    }
    // Yesterday's board is kept, through a restart too.
    Server again(db.uri);
    ASSERT_GT(again.port, 0);
    std::vector<BoardRow> kept = boardOf(again.port, yesterday);
    ASSERT_EQ(namesOf(kept), (std::vector<std::string>{"ALICE", "BOB"}));
    EXPECT_EQ(kept[0].timeMs, aliceYesterday.row.time);
    const std::string page = exchange(again.port, {"GET /daily/" + dayText(yesterday / kSecondsADay) + " HTTP/1.1\r\n\r\n"}).body;
    EXPECT_NE(page.find("<h1>BOARD OF " + dayText(yesterday / kSecondsADay) + "</h1>"), std::string::npos) << page;
}

INSTANTIATE_TEST_SUITE_P(Backends, ReplayServer, ::testing::Values("Sqlite", "Postgres"),
                         [](const auto& info) { return info.param; });

// With --require-replay the page and the JSON list only what was played again.
TEST(ReplayServerListing, RequireReplayListsOnlyVerifiedRowsAndStoresTheRest) {
    {
        Server server("scores.sqlite3", "1000", QUADRUNE_SCORE_SERVER, {"--require-replay"});
        ASSERT_GT(server.port, 0);
        ASSERT_EQ(exchange(server.port, {post(gameRow("PLAIN"), 2)}).body, "dataok");
        ASSERT_EQ(exchange(server.port, {replayPost(fileOf(playBotGame(recentGame("PROVEN"))), 2)}).body, "replayok");
        const std::string json = jsonOf(server.port);
        EXPECT_NE(json.find("\"PROVEN\""), std::string::npos) << json;
        EXPECT_EQ(json.find("\"PLAIN\""), std::string::npos) << json;
        const std::string page = exchange(server.port, {"GET / HTTP/1.1\r\n\r\n"}).body;
        EXPECT_NE(page.find("PROVEN<a class=\"v\" href=\"/replays/"), std::string::npos);
        EXPECT_EQ(page.find("PLAIN"), std::string::npos);
    }
    Server open("scores.sqlite3");
    EXPECT_NE(jsonOf(open.port).find("\"name\":\"PLAIN\",\"score\":270,\"blocks\":12,\"time_ms\":65000,"
                                     "\"score_per_second\":4.154,\"verified\":false,\"replay\":null}"),
              std::string::npos) << jsonOf(open.port);
}

// Replays wait for the verifier, never for a socket thread: beyond the
// verifier and its one waiting place the answer is 503 at once, and one address holds
// one replay at a time. Uploads go on meanwhile.
TEST(ReplayServerLimits, BusyBeyondTheVerifiersOneReplayAnAddressAndUploadsGoOn) {
    Server server("scores.sqlite3");
    ASSERT_GT(server.port, 0);
    int holder = connectFrom("127.0.0.1", server.port);
    const std::string file = fileOf(playBotGame(recentGame("HELD")));
    const std::string request = replayPost(file, 2);
    send(holder, request.data(), request.size() - 10, MSG_NOSIGNAL);  // the body not all there yet
    // Another replay from that address is told busy once the server has the holder's headers.
    const std::string probe = replayPost(fileOf(playBotGame(recentGame("PROBE", 5))), 2);
    int probesStored = 0, busyBefore = 0;
    EXPECT_TRUE(waitFor([&] {
        Answer again = exchange(server.port, {probe});
        probesStored = std::max(probesStored, int(again.body == "replayok"));
        busyBefore += again.status == 503;
        return again.status == 503 && again.body == "server busy, try again\n";
    }, 5000));
    send(holder, request.data() + request.size() - 10, 10, MSG_NOSIGNAL);
    close(holder);
    EXPECT_TRUE(waitFor([&] { return sqliteRows("replays", "") == 1 + probesStored; }, 5000)) << "the holder's replay";

    // Hour-long FREE PLAY games from eight addresses at once: one plays, one waits.
    std::vector<std::string> files;
    // One reading of the clock: making a game takes long enough that a later
    // second would give the next game this one's seed, and so its row.
    const uint32_t start = now();
    for (uint32_t i = 0; i < 8; ++i) {
        BotGameSettings game = recentGame("LONG", 7200 + i);
        game.mode = 1, game.frames = 72000, game.seed = start - 7200 - i;
        files.push_back(replayPost(fileOf(playBotGame(game)), 1));
    }
    std::vector<Answer> answers(files.size());
    std::vector<std::thread> clients;
    for (size_t i = 0; i < files.size(); ++i)
        clients.emplace_back([&, i] {
            std::string source = "127.0.3." + std::to_string(i + 1);
            answers[i] = exchangeFrom(source.c_str(), server.port, {files[i]}, 20);
        });
    for (uint32_t game = 1; game <= 20; ++game) EXPECT_EQ(exchange(server.port, {post(gameRow("MEANWHILE", game), 1)}).body, "dataok");
    for (std::thread& client : clients) client.join();
    int ok = 0, busy = 0;
    for (const Answer& answer : answers) {
        ok += answer.body == "replayok";
        busy += answer.status == 503 && answer.body == "server busy, try again\n";
    }
    EXPECT_EQ(ok + busy, int(files.size()));
    EXPECT_GE(ok, 1);
    EXPECT_GE(busy, 1);
    EXPECT_EQ(sqliteRows("replays", ""), ok + 1 + probesStored);
    const std::string metrics = exchange(server.port, {"GET /metrics HTTP/1.1\r\n\r\n"}).body;
    EXPECT_NE(metrics.find("quadrune_busy_refusals_total{what=\"replay\"} " + std::to_string(busy + busyBefore)),
              std::string::npos) << metrics;
    EXPECT_NE(metrics.find("quadrune_replays_total{outcome=\"verified\"} " + std::to_string(ok + 1 + probesStored)),
              std::string::npos);
    EXPECT_NE(metrics.find("quadrune_replay_verify_seconds_count "), std::string::npos);
    EXPECT_NE(metrics.find("quadrune_uploads_total{outcome=\"stored\"} 20"), std::string::npos);
    // One line a request on standard output, for journald.
    EXPECT_NE(server.run.out().find("\n127.0.0.1 POST /replay.php 200 8 "), std::string::npos) << server.run.out();
    EXPECT_NE(server.run.out().find("\n127.0.0.1 POST /replay.php 503 23 "), std::string::npos);
    EXPECT_NE(server.run.out().find("\n127.0.0.1 GET /metrics 200 "), std::string::npos);
}

TEST(ReplayServerOperators, HelpVersionAndAWrongOptionAndWhoMayReadTheMetrics) {
    ProgramRun help({QUADRUNE_SCORE_SERVER, "--help"}, {});
    EXPECT_EQ(help.waitForExit(10000), 0);
    EXPECT_EQ(help.out().rfind("Usage: quadrune-score-server [OPTION]...\n", 0), 0u) << help.out();
    ProgramRun version({QUADRUNE_SCORE_SERVER, "--version"}, {});
    EXPECT_EQ(version.waitForExit(10000), 0);
    EXPECT_EQ(version.out().substr(0, 28), "quadrune-score-server 0.145\n");
    ProgramRun wrong({QUADRUNE_SCORE_SERVER, "--replay-max-age", "soon"}, {});
    EXPECT_EQ(wrong.waitForExit(10000), 2);
    EXPECT_EQ(wrong.err(), "quadrune-score-server: invalid argument 'soon' for '--replay-max-age'\n"
                           "Try 'quadrune-score-server --help' for more information.\n");
    struct Reader {
        const char* address;
        const char* allowed;
        bool reads;
    } readers[] = {{"127.0.0.1", "", true},         {"127.9.8.7", "", true},          {"::1", "", true},
                   {"10.1.2.3", "", false},         {"10.1.2.3", "10.0.0.0/8", true}, {"11.1.2.3", "10.0.0.0/8", false},
                   {"192.168.1.5", "192.168.1.5", true}, {"192.168.1.6", "192.168.1.5", false}};
    for (const Reader& r : readers)
        EXPECT_EQ(isLoopback(r.address) || inNetwork(r.address, r.allowed), r.reads) << r.address << " " << r.allowed;
}

// A SQLite file from before replays, with no version table, is brought up to
// date in place: its rows stay, unverified, and take replays and days' boards from then on.
TEST(ReplayServerSchema, AnOlderSqliteFileIsMigratedWithItsRows) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open("scores.sqlite3", &db), SQLITE_OK);
    const std::string row = gameRow("OLDTIMER");
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE scores (id INTEGER PRIMARY KEY, mode INTEGER NOT NULL, image BLOB NOT NULL,"
                           " name TEXT NOT NULL, blocks INTEGER NOT NULL, score INTEGER NOT NULL, time_ms INTEGER NOT NULL,"
                           " received TEXT NOT NULL DEFAULT (datetime('now')), UNIQUE (mode, image));",
                           nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO scores (mode, image, name, blocks, score, time_ms) VALUES (2, ?, 'OLDTIMER', 12, 270, 65000)",
                       -1, &insert, nullptr);
    sqlite3_bind_blob(insert, 1, row.data(), int(row.size()), SQLITE_STATIC);
    ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
    sqlite3_finalize(insert);
    sqlite3_close(db);
    Server server("scores.sqlite3");
    ASSERT_GT(server.port, 0) << server.run.err();
    EXPECT_NE(jsonOf(server.port).find("\"name\":\"OLDTIMER\",\"score\":270,\"blocks\":12,\"time_ms\":65000,"
                                       "\"score_per_second\":4.154,\"verified\":false,\"replay\":null}"),
              std::string::npos) << jsonOf(server.port);
    const uint32_t today = dailySeed(now());
    EXPECT_EQ(exchange(server.port, {replayPost(fileOf(dailyGame("NEWCOMER", today, 400)), 2)}).body, "replayok");
    EXPECT_EQ(sqliteRows("schema_version", "WHERE version = 3"), 1);
    EXPECT_EQ(sqliteRows("scores", ""), 2);
    EXPECT_EQ(namesOf(boardOf(server.port, today)), std::vector<std::string>{"NEWCOMER"}) << "and keeps days' boards";
}

// Days as the boards' addresses name them: only dates that exist, in UTC.
TEST(ReplayServerDays, DatesReadAndWrittenAsTheBoardsNameThem) {
    struct Date {
        const char* text;
        int64_t day;
    } dates[] = {{"1970-01-01", 0},       {"2026-03-14", 20526},  {"2024-02-29", 19782}, {"2000-02-29", 11016},
                 {"2023-02-29", -1},      {"1900-02-29", -1},     {"2026-13-01", -1},    {"2026-04-31", -1},
                 {"2026-4-01", -1},       {"2026-04-01x", -1},    {"1969-12-31", -1},    {"", -1}};
    for (const Date& date : dates) {
        EXPECT_EQ(parseDay(date.text), date.day) << date.text;
        if (date.day >= 0) {
            EXPECT_EQ(dayText(date.day), date.text);
        }
    }
    EXPECT_EQ(dailyDayOf(2, 20526u * 86400), 20526);
    EXPECT_EQ(dailyDayOf(2, 20526u * 86400 + 1), -1) << "any other moment is a plain game's seed";
    EXPECT_EQ(dailyDayOf(1, 20526u * 86400), -1) << "today's deal is TIMEATTACK's";
    EXPECT_EQ(dailySeed(20526u * 86400 + 86399), 20526u * 86400);
}

// The boards link to the browser game only when the server serves it.
TEST(ReplayServerDays, TheBoardLinksTheBrowserGameOnlyWhenItIsServed) {
    DailyBoard board;
    board.day = board.today = 20526;
    board.rows = {{"ALICE", 12, 270, 35000, 41, true}};
    for (bool served : {false, true}) {
        board.webServed = served;
        const std::string page = renderDailyPage(board), json = renderDailyJson(board);
        EXPECT_EQ(page.find("href=\"/play/?daily\"") != std::string::npos, served) << page;
        EXPECT_EQ(page.find("href=\"/play/?replay=41\"") != std::string::npos, served) << page;
        EXPECT_NE(page.find("href=\"/replays/41.qrp\""), std::string::npos) << page;
        EXPECT_EQ(json.find("\"watch\":\"/play/?replay=41\"") != std::string::npos, served) << json;
        EXPECT_EQ(page.find("src="), std::string::npos) << "the page loads nothing from elsewhere";
    }
    board.day = board.today - 1;
    board.webServed = true;
    EXPECT_EQ(renderDailyPage(board).find("/play/?daily"), std::string::npos) << "yesterday's deal is not today's";
}
