#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "rules/game_state.h"
#include "loopback_server.h"
#include "scores/replay_send.h"
#include "scores/response_scanner.h"
#include "scores/score_submit.h"
#include "scripted_seams.h"
#include "test_support.h"

// The upload against real loopback servers that answer well, late, wrongly
// or not at all; what the player reads comes through the drawing seam.
namespace {
std::vector<std::string> drawn;
const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n";

std::string header(int mode) {
    return "POST /score.php?mode=" + std::to_string(mode) +
           " HTTP/1.1\r\nHost: " QUADRUNE_SCORE_DOMAIN "\r\nUser-Agent: Quadrune/0.145a Velmo/2006\r\n"
           "Content-Type: application/octet-stream\r\nConnection: keep-alive\r\nContent-Length: 129\r\n\r\n";
}

class ScoreUpload : public ::testing::Test {
protected:
    void SetUp() override {
        drawn.clear();
        seams.upload.drawText = [](const char* text, int, int) { drawn.push_back(text); };  // script restores it
        script.onSwap = [this] { answerScreen(); };
        std::memcpy(gameState.config.playerName, "TENLETTERS", 10);
        gameState.config.gameMode = FreePlay;
        for (int k = 0; k < 10; ++k) gameState.removedByKind[k] = k * 3;
        gameState.blocksDestroyed = 33;
        gameState.score = 4321;
        gameState.elapsedMs = 65000;
    }
    // Counts the passes of the wait; answers the result screen with resultKeys, then N.
    void answerScreen() {
        const std::string& last = drawn.empty() ? "" : drawn.back();
        waits += last == "WAITING FOR RESPONSE.";
        if (last == "SEND DATA AGAIN? (Y/N)" || last == "PRESS ANY KEY") {
            script.push(SDL_KEYDOWN, resultKeys.empty() ? SDLK_n : resultKeys.front());
            if (!resultKeys.empty()) resultKeys.pop_front();
        }
    }
    int count(const std::string& text) const { return static_cast<int>(std::count(drawn.begin(), drawn.end(), text)); }
    ScriptedPlatform script;
    std::deque<int> resultKeys;
    int waits = 0;
};

}  // namespace

TEST_F(ScoreUpload, SendsTheExactRequestAndReportsSuccess) {
    LoopbackServer server({{{kOk + "dataok"}, 0, 0, 3000}});
    EXPECT_EQ(submitScore("127.0.0.1", server.port()), 1);
    ASSERT_EQ(server.requests().size(), 1u);
    const std::string& request = server.requests()[0];
    ASSERT_EQ(request.size(), header(1).size() + 129);
    EXPECT_EQ(request.substr(0, header(1).size() + 5), header(1) + "data=");
    std::string row = request.substr(header(1).size() + 5, 120);
    EXPECT_EQ(request.substr(request.size() - 4), "0120");
    std::string want = "TENLETTERS" + std::string(110, '\0');  // then little-endian numbers
    for (auto [at, value] : {std::pair{52u, 33u}, {56u, 4321u}, {64u, 65000u}}) std::memcpy(&want[at], &value, 4);
    for (int k = 0; k < 10; ++k) want[12 + 4 * k] = static_cast<char>(k * 3);
    EXPECT_EQ(row, want) << "the time in milliseconds, whatever the mode";
    EXPECT_EQ(std::vector<std::string>(drawn.begin(), drawn.begin() + 3),
              (std::vector<std::string>{"SENDING", "SENDING.", "SENDING.."}));
    EXPECT_EQ(count("DATA SENT!"), 1);
    EXPECT_EQ(count("FAILED!"), 0);
    EXPECT_EQ(scoreRequestHeader(7, "x").substr(0, 22), "POST /score.php?mode=4") << "no table: the last mode";
}

TEST_F(ScoreUpload, TheAnswerMayComeLateOrSplitAtAnyByte) {
    const std::string answer = kOk + "dataok";
    script.delayMovesClock = false;  // each wait ends on the answer, never on the clock
    for (size_t at = 1; at < answer.size(); ++at) {
        LoopbackServer server({{{answer.substr(0, at), answer.substr(at)}, 0, 5, 3000}});
        EXPECT_EQ(submitScore("127.0.0.1", server.port()), 1);
        EXPECT_EQ(count("DATA SENT!"), static_cast<int>(at)) << "split after byte " << at;
    }
    LoopbackServer late({{{answer}, 700, 0, 3000}});
    EXPECT_EQ(submitScore("127.0.0.1", late.port()), 1);
    EXPECT_EQ(count("FAILED!"), 0);
    // In three pieces, and with a near miss in front, the scanner still finds the word.
    const std::string text = "HTTP/1.1 200 OK\r\n\r\ndatao dataok";
    for (size_t i = 1; i < text.size(); ++i)
        for (size_t j = i; j < text.size(); ++j) {
            ResponseScanner scanner;
            for (auto [from, to] : {std::pair{size_t(0), i}, {i, j}, {j, text.size()}}) scanner.append(&text[from], to - from);
            ASSERT_TRUE(scanner.found()) << i << " " << j;
        }
}

TEST_F(ScoreUpload, AFailureOffersARetryWithTheSameBytesOnANewConnection) {
    LoopbackServer server({{{kOk + "nope"}, 0, 0, 0}, {{kOk + "dataok"}, 0, 0, 3000}});
    resultKeys = {SDLK_y};
    EXPECT_EQ(submitScore("127.0.0.1", server.port()), 1);
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[0], server.requests()[1]);
    EXPECT_EQ(count("FAILED!"), 1);
    EXPECT_EQ(count("DATA SENT!"), 1);
    EXPECT_EQ(count("SENDING"), 2) << "the second attempt starts from the top";
}

TEST_F(ScoreUpload, MisbehavingServersFailWithinTheTimeLimit) {
    ServerReply silent{{}, 0, 0, 8000}, chatty{{kOk + std::string(100000, 'x')}, 0, 0, 8000}, rude;
    rude.readRequest = false;
    for (const ServerReply& reply : {silent, chatty, rude}) {
        waits = 0;
        drawn.clear();
        LoopbackServer server({reply});
        EXPECT_EQ(submitScore("127.0.0.1", server.port()), 1);
        EXPECT_EQ(count("FAILED!"), 1);
        EXPECT_LE(waits, static_cast<int>(kResponseWaitLimitMs / 50));
    }
    // A silent server is waited for the whole limit in 50 ms passes, even with a standing clock.
    script.delayMovesClock = false;
    waits = 0;
    LoopbackServer standing({silent});
    EXPECT_EQ(submitScore("127.0.0.1", standing.port()), 1);
    EXPECT_EQ(waits, static_cast<int>(kResponseWaitLimitMs / 50));
}

// The bound in the game's own terms: on its clock, FAILED! comes 3 s after
// the wait for a silent server began, and not much later.
TEST_F(ScoreUpload, ASilentServerShowsFailedJustAfterThreeSecondsOfTheGamesClock) {
    static std::vector<std::pair<std::string, uint32_t>> shown;
    shown.clear();
    seams.upload.drawText = [](const char* text, int, int) {
        drawn.push_back(text);
        shown.emplace_back(text, ScriptedPlatform::current->ticks);
    };
    LoopbackServer silent({{{}, 0, 0, 9000}});
    EXPECT_EQ(submitScore("127.0.0.1", silent.port()), 1);
    auto firstTick = [](const std::string& text) {
        for (const auto& [drawnText, tick] : shown)
            if (drawnText == text) return tick;
        ADD_FAILURE() << text << " never shown";
        return uint32_t(0);
    };
    uint32_t waited = firstTick("FAILED!") - firstTick("WAITING FOR RESPONSE.");
    EXPECT_GE(waited, 3000u);
    EXPECT_LE(waited, 3150u);
}

// After dataok the game's replay follows on a connection of its own; whether
// the server takes it, lacks the endpoint or never answers, the player sees
// the same screens, and the upload's own bytes stay as they were.
TEST_F(ScoreUpload, AfterDataokTheGamesReplayFollowsAndHowItFaresShowsNowhere) {
    // How many passes the wait takes depends on when the answer arrives.
    auto screens = [] {
        std::vector<std::string> shown = drawn;
        shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
        return shown;
    };
    LoopbackServer plain({{{kOk + "dataok"}, 0, 0, 0}});
    EXPECT_EQ(submitScore("127.0.0.1", plain.port()), 1);
    const std::vector<std::string> seen = screens();
    const std::string upload = plain.requests()[0];
    std::vector<uint8_t> replay(5000);
    for (size_t i = 0; i < replay.size(); ++i) replay[i] = uint8_t(i * 7);
    const std::string notFound = "HTTP/1.1 404 Not Found\r\n\r\nunknown path\n";
    for (const ServerReply& answer : {ServerReply{{kOk + "replayok"}}, ServerReply{{notFound}}, ServerReply{{}, 0, 0, 8000}}) {
        drawn.clear();
        keepReplayToSend(replay);
        LoopbackServer server({{{kOk + "dataok"}, 0, 0, 0}, answer});
        EXPECT_EQ(submitScore("127.0.0.1", server.port()), 1);
        EXPECT_EQ(screens(), seen);
        ASSERT_EQ(server.requests().size(), 2u);
        EXPECT_EQ(server.requests()[0], upload);
        EXPECT_EQ(server.requests()[1], replayRequestHeader(1, replay.size(), QUADRUNE_SCORE_DOMAIN) +
                                            std::string(replay.begin(), replay.end()));
    }
    EXPECT_EQ(replayRequestHeader(1, 5000, "x").substr(0, 32), "POST /replay.php?mode=1 HTTP/1.1");
    // Refused uploads send no replay.
    drawn.clear();
    keepReplayToSend(replay);
    LoopbackServer refusing({{{kOk + "nope"}, 0, 0, 0}});
    EXPECT_EQ(submitScore("127.0.0.1", refusing.port()), 1);
    EXPECT_EQ(refusing.requests().size(), 1u);
    keepReplayToSend({});
}
