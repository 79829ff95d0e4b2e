#include <gtest/gtest.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ctime>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <mutex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "rules/highscore_records.h"
#include "rules/replay_file.h"
#include "rules/daily_deal.h"
#include "bot_game.h"
#include "game_driver.h"
#include "leaderboard_page.h"
#include "loopback_server.h"
#include "score_server_run.h"
#include "test_support.h"

namespace {

// Short HARDCORE games, each of a player of its own, ready to send as replays.
struct ReplayBatch {
    std::vector<std::string> names, requests;
    explicit ReplayBatch(int count) {
        uint32_t now = uint32_t(std::time(nullptr));
        for (int i = 0; i < count; ++i) names.push_back("K" + std::to_string(i));
        for (int i = 0; i < count; ++i) {
            BotGameSettings game;
            game.mode = 3, game.frames = 60, game.seed = now - 600 - uint32_t(i), game.name = names[size_t(i)].c_str();
            std::vector<uint8_t> file = encodeReplay(playBotGame(game));
            requests.push_back(replayPost(std::string(file.begin(), file.end()), 3));
        }
    }
};

// Sends a batch from an address of its own until the server goes or `stop`;
// `kept` collects the names answered replayok, quoted for SQL.
void sendReplays(int port, const ReplayBatch& batch, std::string& kept, std::atomic<int>& count,
                 const std::atomic<bool>& stop) {
    for (size_t i = 0; i < batch.requests.size() && !stop; ++i) {
        Answer answer = exchangeFrom("127.0.0.50", port, {batch.requests[i]}, 2);
        if (answer.status == 0) return;
        if (answer.body == "replayok") kept += "'" + batch.names[i] + "',", ++count;
    }
}

std::string keptReplaysWhere(const std::string& kept) {
    return "r JOIN scores s ON s.id = r.score_id WHERE s.verified" + std::string(" AND s.name IN (") + kept + "'')";
}

// The same tests for each backend.
class ScoreServer : public ::testing::TestWithParam<std::string> {
protected:
    Database db{GetParam() == "Postgres"};
};

using Edit = std::function<void(std::string& body)>;
void poke(std::string& body, int offset, char value) { body[5 + offset] = value; }
void poke32(std::string& body, int offset, int32_t value) { std::memcpy(&body[5 + offset], &value, 4); }

TEST_P(ScoreServer, RefusesWhatNoGameSendsWithAReasonAndStoresNothing) {
    struct Case {
        const char* what;
        std::string target;
        Edit edit;
        int status;
        const char* reason;
    };
    const Case cases[] = {
        {"other path", "/scores.php?mode=1", nullptr, 404, "unknown path"},
        {"mode 0", "/score.php?mode=0", nullptr, 400, "mode=1, 2, 3 or 4"},
        {"128 bytes", "/score.php?mode=1", [](std::string& b) { b.pop_back(); }, 400, "129 bytes"},
        {"suffix", "/score.php?mode=1", [](std::string& b) { b.back() = '1'; }, 400, "0120"},
        {"lower case", "/score.php?mode=1", [](std::string& b) { poke(b, 0, 'z'); }, 422, "name"},
        {"byte 10", "/score.php?mode=1", [](std::string& b) { poke(b, 10, 1); }, 422, "reserved"},
        {"blocks", "/score.php?mode=1", [](std::string& b) { poke32(b, 52, 13); }, 422, "per-kind"},
        {"score", "/score.php?mode=1", [](std::string& b) { poke32(b, 56, 271); }, 422, "kind x count x 10"},
        {"negative", "/score.php?mode=1",
         [](std::string& b) { poke32(b, 12, -1), poke32(b, 52, 11); }, 422, "negative"},
        {"time zero", "/score.php?mode=1", [](std::string& b) { poke32(b, 64, 0); }, 422, "time is zero"},
    };
    Server server(db.uri);
    ASSERT_GT(server.port, 0);
    for (const Case& c : cases) {
        std::string body = "data=" + gameRow() + "0120";
        if (c.edit) c.edit(body);
        Answer answer = exchange(server.port, {gameHeader(c.target, body.size()) + body});
        EXPECT_EQ(answer.status, c.status) << c.what;
        EXPECT_NE(answer.body.find(c.reason), std::string::npos) << c.what << ": " << answer.body;
        EXPECT_EQ(answer.body.find('\n'), answer.body.size() - 1) << c.what << ": one line";
    }
    // Refused from the headers alone: the 2 s wait is shorter than the server's read timeout.
    Answer huge = exchange(server.port, {gameHeader("/score.php?mode=1", 100000000)}, 2);
    EXPECT_EQ(huge.status, 413);
    Answer chunked = exchange(server.port, {"POST /score.php?mode=1 HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"}, 2);
    EXPECT_EQ(chunked.status, 411);
    EXPECT_EQ(db.storedRows(), 0);
}

// FREE PLAY ranks by score a second, TIMEATTACK by how long the game lasted.
TEST_P(ScoreServer, ListsEachModeByItsOwnMeasure) {
    Server server(db.uri);
    ASSERT_GT(server.port, 0);
    for (int mode : {1, 2})
        for (auto [name, timeMs] : {std::pair{"SHORT", 20000u}, {"LONG", 90000u}, {"MIDDLE", 45000u}})
            EXPECT_EQ(exchange(server.port, {post(gameRow(name, timeMs), mode)}).body, "dataok");
    auto order = [&](int mode) {
        std::string json = exchange(server.port, {"GET /scores.json?mode=" + std::to_string(mode) + " HTTP/1.1\r\n\r\n"}).body;
        std::vector<std::pair<size_t, std::string>> at;
        for (const char* name : {"SHORT", "LONG", "MIDDLE"}) at.push_back({json.find(std::string("\"") + name + "\""), name});
        std::sort(at.begin(), at.end());
        return at[0].second + " " + at[1].second + " " + at[2].second;
    };
    EXPECT_EQ(order(1), "SHORT MIDDLE LONG");
    EXPECT_EQ(order(2), "LONG MIDDLE SHORT");
}

TEST_P(ScoreServer, KeepsEveryAcknowledgedRowOnceThroughAKillUnderLoad) {
    std::string acknowledged[4];  // the games' times, each followed by a comma
    std::atomic<int> count{0}, replayed{0};
    std::atomic<bool> never{false};
    std::string keptReplays;
    const ReplayBatch batch(1000);
    {
        Server server(db.uri, "1000000");
        ASSERT_GT(server.port, 0);
        for (int attempt = 0; attempt < 2; ++attempt) {  // a retry, in the game's three sends
            Answer answer = exchange(server.port, {gameHeader("/score.php?mode=2") + "data=", gameRow(), "0120"});
            EXPECT_EQ(answer.status, 200);
            EXPECT_EQ(answer.body, "dataok");
        }
        auto client = [&](int c) {  // each game has a time of its own, all in mode 1
            for (uint32_t timeMs = 100000u * (c + 1); timeMs < 100000u * (c + 1) + 3000; ++timeMs) {
                Answer answer = exchange(server.port, {post(gameRow("ZX81", timeMs))}, 2);
                if (answer.status == 0) return;  // the server is gone
                if (answer.body == "dataok") acknowledged[c] += std::to_string(timeMs) + ",", ++count;
            }
        };
        std::thread clients[] = {std::thread(client, 0), std::thread(client, 1), std::thread(client, 2), std::thread(client, 3),
                                 std::thread([&] { sendReplays(server.port, batch, keptReplays, replayed, never); })};
        EXPECT_TRUE(waitFor([&] { return count >= 300 && replayed >= 30; }, 60000));
        server.run.stop(SIGKILL);  // no clean shutdown: what was acknowledged must already be on disk
        for (std::thread& t : clients) t.join();
    }
    EXPECT_EQ(db.count("replays", keptReplaysWhere(keptReplays)), replayed.load()) << "every replayok survives";
    int found = db.storedRows("WHERE mode = 1 AND time_ms IN (" + acknowledged[0] + acknowledged[1] + acknowledged[2] + acknowledged[3] + "0)");
    std::printf("%d rows acknowledged before the kill, %d of them found, %d stored\n", count.load(), found, db.storedRows());
    EXPECT_EQ(found, count.load());
    EXPECT_EQ(db.storedRows("WHERE mode = 2"), 1) << "the retry is kept once";
    Server again(db.uri);
    std::string json = exchange(again.port, {"GET /scores.json?mode=2 HTTP/1.1\r\n\r\n"}).body;
    EXPECT_NE(json.find("{\"name\":\"ZX81\",\"score\":270,\"blocks\":12,\"time_ms\":65000"), std::string::npos) << json;
}

// A connection from `source` that gives up after 2 s, or -1.
int floodConnection(const std::string& source, int port) {
    int sock = socket(AF_INET, SOCK_STREAM, 0);
    timeval patience{2, 0};
    setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
    sockaddr_in from{AF_INET, 0, {}, {}}, to{AF_INET, htons(uint16_t(port)), {htonl(INADDR_LOOPBACK)}, {}};
    inet_pton(AF_INET, source.c_str(), &from.sin_addr);
    if (bind(sock, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0 &&
        connect(sock, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0)
        return sock;
    close(sock);
    return -1;
}

// 10,000 connections from 1,000 addresses, every other one sending half a
// header and then nothing, the rest never a byte: games still get through.
TEST(ScoreServerFlood, TenThousandSlowAndSilentConnectionsLeaveRoomForGames) {
    rlimit files{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &files), 0);
    files.rlim_cur = files.rlim_max;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &files), 0);
    ASSERT_GE(files.rlim_cur, 12000u) << "the flood needs more open files than this machine allows";
    Server server("scores.sqlite3");
    ASSERT_GT(server.port, 0);
    std::vector<int> flood;
    for (int address = 0; address < 1000; ++address) {
        std::string source = "127.0." + std::to_string(1 + address / 250) + "." + std::to_string(1 + address % 250);
        for (int i = 0; i < 10; ++i) {
            int sock = floodConnection(source, server.port);
            if (sock < 0) continue;
            flood.push_back(sock);
            if (i % 2 == 0) send(sock, "POST /score.php?mode=1 HTTP/1.1\r\n", 33, MSG_NOSIGNAL);
        }
    }
    EXPECT_GE(flood.size(), 9000u) << "connections made";
    for (uint32_t game = 1; game <= 200; ++game)
        ASSERT_EQ(exchange(server.port, {post(gameRow("FLOOD", game))}, 3).body, "dataok") << "game " << game;
    // However fast a client trickles its header, it is cut off once the
    // header outgrows what a connection may hold.
    int trickler = connectFrom("127.0.5.1", server.port), sent = 0;
    send(trickler, "GET /", 5, MSG_NOSIGNAL);
    const std::string piece(64, 'X');
    for (pollfd hangUp{trickler, POLLIN, 0}; sent < 1000 && poll(&hangUp, 1, 10) == 0; ++sent)
        send(trickler, piece.data(), piece.size(), MSG_NOSIGNAL);
    EXPECT_LT(sent, 1000) << "still read after 64 KiB";
    for (int sock : flood) close(sock);
    close(trickler);
}

TEST_P(ScoreServer, LimitsEachAddressAndKeepsServingThroughGarbage) {
    Server server(db.uri, "1");  // bursts of 2
    ASSERT_GT(server.port, 0);
    int refused = 0;
    for (uint32_t game = 1; game <= 6; ++game) {
        Answer answer = exchange(server.port, {post(gameRow("AB", game))});
        if (answer.status == 429 && answer.body.find("too many") != std::string::npos) ++refused;
        if (game <= 2) {
            EXPECT_EQ(answer.body, "dataok");
        }
    }
    EXPECT_GE(refused, 3);
    exchange(server.port, {std::string(3000, '\x01') + "\r\n\r\n"});
    exchange(server.port, {"GET / HTTP/1.1\r\nContent-Length: -1\r\n\r\n"});
    exchange(server.port, {"GARBAGE\r\n\r\n", std::string("\0\r\n\0\0", 5)});
    EXPECT_EQ(exchange(server.port, {"GET /scores.json?mode=1 HTTP/1.1\r\n\r\n"}).status, 200);
}

INSTANTIATE_TEST_SUITE_P(Backends, ScoreServer, ::testing::Values("Sqlite", "Postgres"),
                         [](const auto& info) { return info.param; });

TEST(ScoreServerPage, LeaderboardEscapesNames) {
    std::string page = renderLeaderboardPage({{1, {{"<B&\"'>", 10, 270, 65000}}}});
    EXPECT_NE(page.find("&lt;B&amp;&quot;&#39;&gt;"), std::string::npos);
    EXPECT_EQ(page.find("<B&"), std::string::npos);
    EXPECT_EQ(page.find("src="), std::string::npos) << "the page loads nothing from elsewhere";
}

TEST(ScoreServerPage, ChromiumShowsAStoredRowOnTheLeaderboard) {
    Server server("scores.sqlite3");
    ASSERT_GT(server.port, 0);
    ASSERT_EQ(exchange(server.port, {post(gameRow("CHAMP7"), 1)}).body, "dataok");
    const std::string browser = "HOME=$PWD timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run"
                                " --disable-background-networking --disable-component-update"
                                " --user-data-dir=$PWD/profile --window-size=412,915 ";
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port) + "/";
    ASSERT_EQ(std::system((browser + "--dump-dom " + url + " > dom.html 2>/dev/null").c_str()), 0);
    ASSERT_EQ(std::system((browser + "--screenshot=$PWD/page.png " + url + " 2>/dev/null").c_str()), 0);
    auto domBytes = readFileBytes("dom.html"), png = readFileBytes("page.png");
    std::string dom(domBytes.begin(), domBytes.end());
    EXPECT_NE(dom.find("<td class=\"n\">CHAMP7</td><td>0000270</td><td>65.0</td><td class=\"key\">4.2</td>"),
              std::string::npos) << dom;
    EXPECT_NE(dom.find("NO SCORES YET"), std::string::npos);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::string(png.begin(), png.begin() + 8), "\x89PNG\r\n\x1a\n");
    // A blank or error page compresses to a few kilobytes; the gradient and text do not.
    EXPECT_GT(png.size(), 30000u);
}

// A player's way in Chromium: the leaderboard links today's board, which
// lists a game of today's deal, and its replay link brings the game that
// plays again to that row.
TEST(ScoreServerPage, ChromiumSeesTodaysBoardAndFollowsItsReplayLink) {
    Server server("scores.sqlite3");
    ASSERT_GT(server.port, 0);
    BotGameSettings game;
    game.mode = 2, game.frames = 300, game.name = "DAYONE";
    game.seed = dailySeed(uint32_t(std::time(nullptr)));
    const std::vector<uint8_t> file = encodeReplay(playBotGame(game));
    const std::string sent(file.begin(), file.end());
    ASSERT_EQ(exchange(server.port, {replayPost(sent, 2)}).body, "replayok");
    const std::string browser = "HOME=$PWD timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run"
                                " --disable-background-networking --disable-component-update"
                                " --user-data-dir=$PWD/profile --window-size=412,915 ";
    const std::string site = "http://127.0.0.1:" + std::to_string(server.port);
    auto dom = [&](const std::string& path) {
        std::remove("dom.html");
        EXPECT_EQ(std::system((browser + "--dump-dom " + site + path + " > dom.html 2>/dev/null").c_str()), 0) << path;
        auto bytes = readFileBytes("dom.html");
        return std::string(bytes.begin(), bytes.end());
    };
    auto href = [](const std::string& html, const std::string& before) {
        std::size_t at = html.find(before);
        if (at == std::string::npos) return std::string();
        at = html.find("href=\"", at) + 6;
        return html.substr(at, html.find('"', at) - at);
    };
    const std::string leaderboard = dom("/");
    const std::string dailyPath = href(leaderboard, "<p><a class=\"d\"");
    ASSERT_EQ(dailyPath, "/daily") << leaderboard;
    const std::string board = dom(dailyPath);
    EXPECT_NE(board.find("<h1>TODAY'S BOARD</h1>"), std::string::npos) << board;
    ASSERT_NE(board.find("<td>1</td><td class=\"n\">DAYONE<a class=\"v\""), std::string::npos) << board;
    const std::string replayPath = href(board, "DAYONE");
    ASSERT_EQ(replayPath.rfind("/replays/", 0), 0u) << board;
    ASSERT_EQ(std::system((browser + "--screenshot=$PWD/daily.png " + site + dailyPath + " 2>/dev/null").c_str()), 0);
    EXPECT_GT(readFileBytes("daily.png").size(), 30000u) << "a blank or error page compresses to a few kilobytes";
    if (const char* keep = std::getenv("QUADRUNE_KEEP_SHOTS"))
        std::filesystem::copy_file("daily.png", std::string(keep) + "/daily-board-page.png",
                                   std::filesystem::copy_options::overwrite_existing);
    // The link downloads: the file is fetched as the browser's download would, and the game plays it again to its row.
    Answer download = exchange(server.port, {"GET " + replayPath + " HTTP/1.1\r\n\r\n"});
    ASSERT_EQ(download.body, sent);
    writeFileBytes("today.qrp", std::vector<unsigned char>(download.body.begin(), download.body.end()));
    ProgramRun verify({QUADRUNE_BINARY, "--verify-replay", "today.qrp"}, {});
    EXPECT_EQ(verify.waitForExit(10000), 0) << verify.err();
    EXPECT_EQ(verify.out().rfind("TIMEATTACK DAYONE: ", 0), 0u) << verify.out();
}

TEST(ScoreServerPostgres, TwoServersOnOneDatabaseKeepARetryRacingToBothOnce) {
    Database db(true);
    std::filesystem::create_symlink(QUADRUNE_SCORE_SERVER, "second-server");
    Server first(db.uri), second(db.uri, "1000", "./second-server");
    ASSERT_GT(first.port, 0);
    ASSERT_GT(second.port, 0);
    constexpr uint32_t kGames = 20;
    for (uint32_t game = 1; game <= kGames; ++game) {
        const std::string request = post(gameRow("RACE", game));
        Answer answers[2];
        std::thread toFirst([&] { answers[0] = exchange(first.port, {request}); });
        answers[1] = exchange(second.port, {request});
        toFirst.join();
        EXPECT_EQ(answers[0].body + answers[1].body, "dataokdataok") << "game " << game;
    }
    EXPECT_EQ(db.storedRows(), int(kGames));
}

// A client sends new games all along while the database crashes and comes back.
TEST(ScoreServerPostgres, AnswersBusyWhileTheDatabaseIsAwayAndLosesNothingAcknowledged) {
    Database db(true);
    Server server(db.uri, "1000000000");
    ASSERT_GT(server.port, 0);
    std::mutex mutex;
    std::vector<std::pair<int, uint32_t>> answers;  // status, game
    std::atomic<bool> enough{false};
    std::thread client([&] {  // until the waits below are over, each bounded in time
        for (uint32_t game = 1; game <= 50000 && !enough; ++game) {
            int status = exchange(server.port, {post(gameRow("CRASH", game))}).status;
            std::lock_guard<std::mutex> lock(mutex);
            answers.emplace_back(status, game);
        }
    });
    auto seen = [&](int status, std::size_t from, int count) {
        std::lock_guard<std::mutex> lock(mutex);
        return std::count_if(answers.begin() + std::ptrdiff_t(std::min(from, answers.size())), answers.end(),
                             [&](const auto& a) { return a.first == status; }) >= count;
    };
    auto sent = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        return answers.size();
    };
    // Replays all along too, from an address of their own.
    const ReplayBatch batch(3000);
    std::string keptReplays;
    std::atomic<int> replayed{0};
    std::thread replayer([&] { sendReplays(server.port, batch, keptReplays, replayed, enough); });
    EXPECT_TRUE(waitFor([&] { return seen(200, 0, 10) && replayed >= 3; }, 30000));
    db.stop();
    std::size_t down = sent();
    EXPECT_TRUE(waitFor([&] { return seen(503, down, 3); }, 20000));
    EXPECT_EQ(exchange(server.port, {"GET /scores.json?mode=1 HTTP/1.1\r\n\r\n"}).status, 503);
    db.start();
    std::size_t up = sent();
    const int replayedBefore = replayed;
    EXPECT_TRUE(waitFor([&] { return seen(200, up, 10) && replayed > replayedBefore; }, 30000));
    enough = true;
    client.join();
    replayer.join();
    EXPECT_EQ(db.count("replays", keptReplaysWhere(keptReplays)), replayed.load()) << "every replayok survives";

    std::istringstream stored(db.query("SELECT time_ms FROM scores"));
    const std::set<uint32_t> kept{std::istream_iterator<uint32_t>(stored), std::istream_iterator<uint32_t>()};
    int acknowledged = 0, lost = 0, otherwise = 0;
    for (const auto& [status, game] : answers) {
        acknowledged += status == 200;
        lost += status == 200 && !kept.count(game);
        otherwise += status != 200 && status != 503;
    }
    EXPECT_EQ(lost, 0) << "of " << acknowledged << " acknowledged";
    EXPECT_EQ(otherwise, 0) << "answers neither 200 nor 503";
    EXPECT_GE(acknowledged, 20);
}

}  // namespace
