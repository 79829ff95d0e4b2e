#include <gtest/gtest.h>

#include <cstring>

#include "base/game_state.h"
#include "scores/highscore_screen.h"
#include "scores/highscore_table.h"
#include "scripted_platform.h"

namespace {
class HighscoreScreenTexts : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&gameState.highscores, 0, sizeof gameState.highscores);
        loadHighscores(gameState.highscores);
    }
    void TearDown() override { std::memset(&gameState.highscores, 0, sizeof gameState.highscores); }
    ScriptedPlatform script;  // the defaults draw from the scripted generator
};

std::vector<ScreenText> textsAt(const std::vector<ScreenText>& all, int x) {
    std::vector<ScreenText> found;
    for (const ScreenText& t : all)
        if (t.x == x) found.push_back(t);
    return found;
}

bool has(const std::vector<ScreenText>& all, const std::string& text, int x, int y) {
    for (const ScreenText& t : all)
        if (t.text == text && t.x == x && t.y == y) return true;
    return false;
}
}  // namespace

TEST(HighscoreFormats, ScoresAndTimesArePaddedToTheirColumns) {
    EXPECT_EQ(highscoreScoreText(2000), "0002000");
    EXPECT_EQ(highscoreScoreText(0), "0000000");
    EXPECT_EQ(highscoreScoreText(12345678), "12345678");
    EXPECT_EQ(highscoreScoreText(4000000000u), "4000000000");  // never shown negative
    EXPECT_EQ(highscoreTimeText(FreePlay, 100), "0100");
    EXPECT_EQ(highscoreTimeText(FreePlay, 45), "0045");
    EXPECT_EQ(highscoreTimeText(TimeAttack, 59999), "059");  // milliseconds, truncated
    EXPECT_EQ(highscoreTimeText(TimeAttack, 45), "000");
    EXPECT_EQ(highscoreTimeText(TimeAttack, 1234567), "1234");
    EXPECT_EQ(highscorePromptLine("scores.quadrune.test"), "SCORES.QUADRUNE.TEST? Y/N");
    EXPECT_EQ(highscorePromptLine(QUADRUNE_SCORE_DOMAIN).substr(0, 3), "LOC");
}

TEST_F(HighscoreScreenTexts, TheModesTableWithItsMarkedRow) {
    gameState.highscores.tables[0].rows[4].time = 100;
    gameState.highscores.tables[1].rows[2].time = 59999;
    auto free = highscoreScreenTexts(FreePlay, 0);
    EXPECT_TRUE(has(free, "HIGHSCORES", 230, 20));
    EXPECT_TRUE(has(free, "FREE PLAY", 230, 50));
    EXPECT_TRUE(has(free, "PLAYER   SCORE  TIME", 10, 100));
    EXPECT_TRUE(has(free, "SEND SCORE TO", 100, 420));
    EXPECT_TRUE(has(free, highscorePromptLine(QUADRUNE_SCORE_DOMAIN), 100, 450));
    auto marks = textsAt(free, 0);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].text, ">");
    EXPECT_EQ(marks[0].y, 130);
    for (int i = 0; i < 10; ++i) {
        int y = 130 + 27 * i;
        EXPECT_TRUE(has(free, "VELMO", 10, y)) << i;
        EXPECT_TRUE(has(free, "0002000", 269, y)) << i;
        EXPECT_TRUE(has(free, i == 4 ? "0100" : "0045", 500, y)) << i;
    }

    auto timed = highscoreScreenTexts(TimeAttack, 9);
    EXPECT_TRUE(has(timed, "TIMEATTACK", 230, 50));
    EXPECT_TRUE(has(timed, "059", 500, 184));
    EXPECT_TRUE(has(timed, "000", 500, 130));
    EXPECT_TRUE(has(timed, ">", 0, 130 + 27 * 9));

    EXPECT_TRUE(textsAt(highscoreScreenTexts(FreePlay, 11), 0).empty());
    EXPECT_TRUE(textsAt(highscoreScreenTexts(TimeAttack, 11), 0).empty());
}

TEST_F(HighscoreScreenTexts, ModesWithoutATableShowOnlyTitleAndPrompt) {
    auto hard = highscoreScreenTexts(Hardcore, 0);
    EXPECT_TRUE(has(hard, "HARDCORE", 230, 50));
    EXPECT_EQ(hard.size(), 5u);  // heading, title, column header, two prompt lines
    auto moves = highscoreScreenTexts(HundredMoves, 11);
    EXPECT_EQ(moves.size(), 4u);
    EXPECT_TRUE(textsAt(moves, 230).size() == 1 && textsAt(moves, 230)[0].text == "HIGHSCORES");
    EXPECT_TRUE(has(moves, "SEND SCORE TO", 100, 420));
    EXPECT_EQ(highscoreScreenTexts(0, 11).size(), 4u);
}

TEST_F(HighscoreScreenTexts, ANameFieldWithoutItsZeroByteStopsAtTheField) {
    HighscoreEntry& row = gameState.highscores.tables[0].rows[3];
    std::memset(row.name, 'N', sizeof row.name);
    std::memset(row.reserved10, 'X', sizeof row.reserved10);  // damaged: no terminator follows
    row.removedByKind[0] = 0x58585858;
    auto texts = highscoreScreenTexts(FreePlay, 11);
    EXPECT_TRUE(has(texts, "NNNNNNNNNN", 10, 130 + 27 * 3));
    HighscoreEntry& empty = gameState.highscores.tables[0].rows[5];
    std::memset(empty.name, 0, sizeof empty.name);
    EXPECT_TRUE(has(highscoreScreenTexts(FreePlay, 11), "", 10, 130 + 27 * 5));
}
