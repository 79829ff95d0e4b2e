#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "base/game_state.h"
#include "capture_stdout.h"
#include "render/text_render.h"
#include "scores/score_submit.h"
#include "scores_loopback_server.h"
#include "scripted_platform.h"

namespace {
struct Drawn {
    std::string text;
    int x, y;
};
std::vector<Drawn> drawn;
void recordText(const char* text, int x, int y) { drawn.push_back({text, x, y}); }

const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n";

std::string expectedHeader(int mode) {
    return "POST /score.php?mode=" + std::to_string(mode) +
           " HTTP/1.1\r\n"
           "Host: " QUADRUNE_SCORE_DOMAIN
           "\r\n"
           "User-Agent: Quadrune/0.145a Velmo/2006\r\n"
           "Content-Type: application/octet-stream\r\n"
           "Connection: keep-alive\r\n"
           "Content-Length: 129\r\n\r\n"
           "data=";
}

uint32_t le32(const std::string& bytes, size_t at) {
    auto b = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])); };
    return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
}

// Sleeping moves the scripted clock, so the wait's own time limit applies.
void sleepOnScriptedClock(uint32_t ms) {
    ScriptedPlatform::current->delays.push_back(ms);
    ScriptedPlatform::current->ticks += ms;
}

class ScoreSubmit : public ::testing::Test {
protected:
    void SetUp() override {
        drawn.clear();
        submitDrawText = recordText;
        platform.delay = sleepOnScriptedClock;
        script.onSwap = [this] { onSwap(); };
        std::memcpy(gameState.config.playerName, "TENLETTERS", 10);
        gameState.config.gameMode = FreePlay;
        for (int k = 0; k < 10; ++k) gameState.removedByKind[k] = k * 3;
        gameState.blocksDestroyed = 33;
        gameState.score = 4321;
        gameState.elapsedMs = 65000;
    }
    void TearDown() override {
        submitDrawText = drawText;
        std::memset(&gameState.config, 0, sizeof gameState.config);
        std::memset(gameState.removedByKind, 0, sizeof gameState.removedByKind);
        std::memset(gameState.keyDown, 0, sizeof gameState.keyDown);
        gameState.blocksDestroyed = 0;
        gameState.score = 0;
        gameState.elapsedMs = 0;
        gameState.quitRequested = 0;
    }

    // Answers the result screen from resultKeys (0 = close the window),
    // then with N; lets a test act on each pass of the wait.
    void onSwap() {
        if (drawn.empty()) return;
        const std::string& last = drawn.back().text;
        if (last == "WAITING FOR RESPONSE.") {
            if (onWaitPass) onWaitPass(waitPasses);
            ++waitPasses;
        } else if (last == "SEND DATA AGAIN? (Y/N)" || last == "PRESS ANY KEY") {
            int key = SDLK_n;
            if (!resultKeys.empty()) {
                key = resultKeys.front();
                resultKeys.pop_front();
            }
            if (key == 0) script.pushQuit();
            else script.pushKeyDown(key);
        }
    }
    int count(const std::string& text) const {
        int n = 0;
        for (const Drawn& d : drawn) n += d.text == text;
        return n;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const Drawn& d : drawn) all.push_back(d.text);
        return all;
    }

    ScriptedPlatform script;
    std::deque<int> resultKeys;
    int waitPasses = 0;
    std::function<void(int)> onWaitPass;
};
}  // namespace

TEST(ScoreRequest, HeaderNamesTheModeAndTheDomain) {
    EXPECT_EQ(scoreRequestHeader(Hardcore, QUADRUNE_SCORE_DOMAIN), expectedHeader(3));
    // Modes without a table of their own still make a well-formed request.
    for (int mode : {int{HundredMoves}, 0, 5, -7})
        EXPECT_EQ(scoreRequestHeader(mode, QUADRUNE_SCORE_DOMAIN), expectedHeader(4)) << mode;
    std::string other = scoreRequestHeader(TimeAttack, "scores.quadrune.test");
    EXPECT_NE(other.find("\r\nHost: scores.quadrune.test\r\nUser-Agent:"), std::string::npos);
}

TEST(ScoreResponse, FindsTheWordAcrossPacketsAndKeepsLittle) {
    ResponseScanner pieces;
    for (const char* piece : {"d", "a", "t", "ao", "k"}) pieces.append(piece, std::strlen(piece));
    EXPECT_TRUE(pieces.found());

    ResponseScanner near;
    for (const char* piece : {"dataOK", "data ok", "datao", "\0k"}) near.append(piece, std::strlen(piece) + (*piece ? 0 : 1));
    EXPECT_FALSE(near.found());

    // A server that talks and talks costs no memory.
    ResponseScanner chatty;
    std::string junk(2048, 'x');
    for (int i = 0; i < 2000; ++i) chatty.append(junk.data(), junk.size());
    EXPECT_LE(chatty.keptBytes(), 5u);
    chatty.append("...dat", 6);
    chatty.append("aok", 3);
    EXPECT_TRUE(chatty.found());
}

TEST_F(ScoreSubmit, SendsTheExactRequestAndReportsSuccess) {
    ScoresLoopbackServer server({{{kOk + "dataok"}, 0, 0, 3000}});
    EXPECT_EQ(submitScore("127.0.0.1", server.port()), 1);
    const auto& requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& request = requests[0];
    std::string header = expectedHeader(1);
    ASSERT_EQ(request.size(), header.size() - 5 + 129);
    EXPECT_EQ(request.substr(0, header.size()), header);
    std::string record = request.substr(header.size(), 120);
    EXPECT_EQ(request.substr(header.size() + 120), "0120");
    EXPECT_EQ(record.substr(0, 10), "TENLETTERS");
    EXPECT_EQ(record.substr(10, 2), std::string(2, '\0'));
    for (int k = 0; k < 10; ++k) EXPECT_EQ(le32(record, 12 + 4 * k), static_cast<uint32_t>(k * 3));
    EXPECT_EQ(le32(record, 52), 33u);
    EXPECT_EQ(le32(record, 56), 4321u);
    EXPECT_EQ(le32(record, 60), 0u);
    EXPECT_EQ(le32(record, 64), 65000u);  // milliseconds, whatever the mode
    EXPECT_EQ(record.substr(68), std::string(52, '\0'));

    std::vector<std::string> all = texts();
    ASSERT_GE(all.size(), 8u);
    std::vector<std::string> progress(all.begin(), all.begin() + 8);
    EXPECT_EQ(progress, (std::vector<std::string>{"SENDING", "SENDING.", "SENDING..", "SENDING...", "SENDING....",
                                                  "SENDING.....", "SENDING......", "SENDING......."}));
    EXPECT_EQ(drawn[0].x, 100);
    EXPECT_EQ(drawn[0].y, 200);
    EXPECT_GE(count("WAITING FOR RESPONSE."), 1);
    EXPECT_EQ(count("DATA SENT!"), 1);
    EXPECT_EQ(count("PRESS ANY KEY"), 1);
    EXPECT_EQ(count("FAILED!"), 0);
    EXPECT_EQ(gameState.keyDown[SDLK_n], 1);
}

TEST_F(ScoreSubmit, JoinsAWordSplitAcrossPacketsAndWaitsForALateAnswer) {
    ScoresLoopbackServer split({{{kOk + "da", "taok"}, 0, 150, 3000}});
    EXPECT_EQ(submitScore("127.0.0.1", split.port()), 1);
    EXPECT_EQ(count("DATA SENT!"), 1);
    EXPECT_EQ(count("FAILED!"), 0);

    // The first packet may take its time, within the bound.
    drawn.clear();
    gameState.config.gameMode = HundredMoves;
    ScoresLoopbackServer late({{{kOk + "dataok"}, 700, 0, 3000}});
    EXPECT_EQ(submitScore("127.0.0.1", late.port()), 1);
    EXPECT_EQ(count("DATA SENT!"), 1);
    ASSERT_EQ(late.requests().size(), 1u);
    EXPECT_EQ(late.requests()[0].substr(0, expectedHeader(4).size()), expectedHeader(4));
}

TEST_F(ScoreSubmit, AMissingAcknowledgementOffersARetryOnANewConnection) {
    gameState.config.gameMode = TimeAttack;
    ScoresLoopbackServer server({{{kOk + "nope"}, 0, 0, 0}, {{kOk + "dataok"}, 0, 0, 3000}});
    resultKeys = {SDLK_y};
    EXPECT_EQ(submitScore("127.0.0.1", server.port()), 1);
    const auto& requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], requests[1]);
    EXPECT_EQ(requests[0].substr(0, expectedHeader(2).size()), expectedHeader(2));
    EXPECT_EQ(count("FAILED!"), 1);
    EXPECT_EQ(count("DATA SENT!"), 1);
    EXPECT_EQ(count("SENDING"), 2);  // the second attempt starts from the top

    // Any other key gives up.
    drawn.clear();
    ScoresLoopbackServer refuses({{{kOk + "no"}, 0, 0, 0}});
    EXPECT_EQ(submitScore("127.0.0.1", refuses.port()), 1);
    EXPECT_EQ(refuses.requests().size(), 1u);
    EXPECT_EQ(count("FAILED!"), 1);
    EXPECT_EQ(count("SENDING"), 1);
}

TEST_F(ScoreSubmit, SilentChattyOrHangingUpServersFailWithinTheTimeLimit) {
    ScoresLoopbackServer silent({{{}, 0, 0, 8000}});
    EXPECT_EQ(submitScore("127.0.0.1", silent.port()), 1);
    EXPECT_EQ(count("FAILED!"), 1);
    EXPECT_EQ(waitPasses, static_cast<int>(kResponseWaitLimitMs / 50));
    uint32_t waited = 0;
    for (uint32_t d : script.delays) waited += d == 50 ? d : 0;
    EXPECT_EQ(waited, kResponseWaitLimitMs);
    EXPECT_EQ(silent.requests().size(), 1u);

    // The wait ends even when the clock stands.
    waitPasses = 0;
    platform.delay = [](uint32_t ms) { ScriptedPlatform::current->delays.push_back(ms); };
    ScoresLoopbackServer chatty({{{kOk + "still typing"}, 0, 0, 8000}});
    EXPECT_EQ(submitScore("127.0.0.1", chatty.port()), 1);
    EXPECT_EQ(count("FAILED!"), 2);
    EXPECT_LE(waitPasses, static_cast<int>(kResponseWaitLimitMs / 50));

    ScoresServerReply hangUp;
    hangUp.readRequest = false;
    ScoresLoopbackServer rude({hangUp});
    EXPECT_EQ(submitScore("127.0.0.1", rude.port()), 1);
    EXPECT_EQ(count("FAILED!"), 3);
}

TEST_F(ScoreSubmit, KeysAndWindowCloseDuringTheWait) {
    // Escape is only noted; the answer still counts.
    onWaitPass = [this](int pass) {
        if (pass == 0) script.pushKeyDown(SDLK_ESCAPE);
    };
    ScoresLoopbackServer late({{{kOk + "dataok"}, 300, 0, 3000}});
    EXPECT_EQ(submitScore("127.0.0.1", late.port()), 1);
    EXPECT_EQ(count("DATA SENT!"), 1);
    EXPECT_EQ(gameState.keyDown[SDLK_ESCAPE], 1);

    // Any other key gives up waiting at once.
    drawn.clear();
    waitPasses = 0;
    onWaitPass = [this](int pass) {
        if (pass == 0) script.pushKeyDown(SDLK_a);
    };
    ScoresLoopbackServer silent({{{}, 0, 0, 8000}});
    EXPECT_EQ(submitScore("127.0.0.1", silent.port()), 1);
    EXPECT_EQ(waitPasses, 1);
    EXPECT_EQ(count("FAILED!"), 1);
    EXPECT_EQ(gameState.keyDown[SDLK_a], 1);

    // So does closing the window, which the wait leaves to the caller.
    drawn.clear();
    waitPasses = 0;
    gameState.keyDown[SDLK_ESCAPE] = 0;
    onWaitPass = [this](int pass) {
        if (pass == 1) script.pushQuit();
    };
    ScoresLoopbackServer silentAgain({{{}, 0, 0, 8000}});
    EXPECT_EQ(submitScore("127.0.0.1", silentAgain.port()), 1);
    EXPECT_EQ(waitPasses, 2);
    EXPECT_EQ(gameState.keyDown[SDLK_ESCAPE], 1);
    EXPECT_EQ(gameState.quitRequested, 0);
}

TEST_F(ScoreSubmit, ClosingTheWindowOnTheResultKeepsItUntilAKey) {
    ScoresLoopbackServer server({{{kOk + "dataok"}, 0, 0, 3000}});
    resultKeys = {0, 0, SDLK_y};  // Y after success just closes
    EXPECT_EQ(submitScore("127.0.0.1", server.port()), 1);
    EXPECT_EQ(count("DATA SENT!"), 3);
    EXPECT_EQ(gameState.quitRequested, 1);
    EXPECT_EQ(gameState.keyDown[SDLK_ESCAPE], 1);
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(ScoreSubmit, NetworkSetUpFailuresReportOneLineAndGiveUp) {
    CaptureStdout out;
    out.start();
    int refused = submitScore("127.0.0.1", scoresClosedPort());
    std::string line = out.finish();
    EXPECT_EQ(refused, -1);
    EXPECT_EQ(line, "SDLNet_TCP_Open: Couldn't connect to remote host\n");
    EXPECT_EQ(texts(), (std::vector<std::string>{"SENDING", "SENDING.", "SENDING.."}));

    // Too long a label to ask any name server about, so it fails here.
    drawn.clear();
    script.swaps = 0;
    std::string unknown = std::string(70, 'q') + ".invalid";
    out.start();
    int unresolved = submitScore(unknown.c_str(), 80);
    line = out.finish();
    EXPECT_EQ(unresolved, -1);
    EXPECT_EQ(line, "SDLNet_ResolveHost: Couldn't resolve host\n");
    EXPECT_EQ(texts(), (std::vector<std::string>{"SENDING", "SENDING."}));
    EXPECT_EQ(script.swaps, 2);
}
