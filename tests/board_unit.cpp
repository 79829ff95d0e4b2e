#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "board_setup.h"
#include "rules/board_model.h"
#include "rules/board_rules.h"
#include "scripted_seams.h"

// The rules of the board, frame by frame, and whole games of random play.
namespace {
class BoardRules : public ::testing::Test {
protected:
    void SetUp() override { resetBoard(); }
    ScriptedPlatform platform;  // rand gives 0 unless a test scripts it
    RecordingSound sound;
    Board& board = gameState.board;
};

std::string bottomOf(const std::string& picture, const std::string& like) {
    size_t lines = std::count(like.begin(), like.end(), '\n');
    return picture.substr(picture.size() - lines * 7);
}

}  // namespace

TEST_F(BoardRules, SwapsOnBusyOrFallingCellsOrOffTheBoardAreRefused) {
    struct Case {
        bool refused;
        std::function<void()> arrange;
        int column = 2, row = 8;
    } cases[] = {
        {false, [] {}},
        {true, [] { resetCell(cellAt(2, 8)), resetCell(cellAt(3, 8)); }},
        {false, [] { resetCell(cellAt(2, 8)); }},
        {true, [] { cellAt(2, 8).busy = true; }},
        {true, [] { cellAt(3, 8).busy = true; }},
        {true, [] { cellAt(3, 8).falling = true; }},
        {true, [] { cellAt(2, 7).falling = true; }},
        {true, [] { cellAt(3, 7).falling = true; }},
        {true, [] { resetCell(cellAt(3, 8)), cellAt(3, 7).falling = true; }},
        {true, [] { putBlock(5, 8, 2); }, 5, 8},
        {true, [] {}, -1, 8},
        {true, [] {}, 2, 9},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        resetBoard();
        layBlocks({"..12..", "..34.."});
        cases[i].arrange();
        // Byte images of the whole storage: a refused swap writes nothing, not even beyond the board.
        std::vector<unsigned char> before(sizeof board.cells), after(sizeof board.cells);
        std::memcpy(before.data(), board.cells, before.size());
        startSwap(board, cases[i].column, cases[i].row);
        std::memcpy(after.data(), board.cells, after.size());
        EXPECT_EQ(before == after, cases[i].refused) << "case " << i;
    }
}

TEST_F(BoardRules, RunsScoreGlowFlashAndBoom) {
    char boom;
    struct Case {
        std::initializer_list<const char*> start;
        int mode;
        uint32_t score;
        int destroyed, booms, blocks;
        std::string left;
        uint32_t timeLeft;
    } cases[] = {
        {{"111.2."}, TimeAttack, 30, 3, 1, 1, "....2.\n", 51800},
        {{"2.....", "2.....", "222..."}, FreePlay, 120, 6, 1, 0, "......\n......\n......\n", 50000},  // corner twice
        {{".5.5..", ".5.5..", "55555."}, FreePlay, 400, 8, 1, 2, "...5..\n...5..\n......\n", 50000},
        {{"..222.", "......", "1.....", "1.....", "1.....", "......", ".3..4.", ".3..4.", ".3..4."}, FreePlay, 300,
         12, 4, 0, "......\n", 50000},
    };
    for (const Case& c : cases) {
        resetBoard();
        sound.calls.clear();
        gameState.config.gameMode = c.mode;
        gameState.soundEnabled = 1;
        gameState.boomSample = reinterpret_cast<FSOUND_SAMPLE*>(&boom);
        layBlocks(c.start);
        resolveRuns(board);
        EXPECT_EQ(bottomOf(boardPicture(), c.left), c.left);
        EXPECT_EQ(blocksOnBoard(), c.blocks);
        EXPECT_EQ(gameState.score, c.score);
        EXPECT_EQ(gameState.blocksDestroyed, c.destroyed);
        EXPECT_EQ(gameState.pendingDrops, c.destroyed) << "every destroyed block is owed back";
        EXPECT_EQ(static_cast<int>(board.particles.size()), c.destroyed);
        EXPECT_NEAR(board.flash, 0.2f * c.destroyed, 1e-5);
        EXPECT_EQ(static_cast<int>(sound.calls.size()), c.booms);
        EXPECT_EQ(gameState.timeLeftMs, c.timeLeft);
    }
    // TIMEATTACK buys n x 500 x (1 + kind / 5) milliseconds a run, to the millisecond.
    gameState.config.gameMode = TimeAttack;
    gameState.timeLeftMs = 0;
    awardRun(board, 11, 2);
    EXPECT_EQ(gameState.timeLeftMs, 7700u);
}

// Where a row and a column of one kind meet, the block they share is listed
// by both runs and so counts twice; every other block counts once, and only
// the first crossing run found goes with the main run.
TEST_F(BoardRules, CrossingAndTouchingRunsCountEachBlockOnceButTheSharedOneTwice) {
    struct Case {
        const char* what;
        std::initializer_list<const char*> start;
        uint32_t score;
        int listed, runs;
        std::string left;
    } cases[] = {
        {"L, the row found first", {"222...", "2.....", "2....."}, 120, 6, 1, "......\n......\n......\n"},
        {"L, the column found first", {"2.....", "2.....", "222..."}, 120, 6, 1, "......\n......\n......\n"},
        {"T, the column from the row's middle", {"333...", ".3....", ".3...."}, 180, 6, 1, "......\n......\n......\n"},
        {"a column from the row's right end", {"444...", "..4...", "..4..."}, 240, 6, 1, "......\n......\n......\n"},
        {"upside-down T", {".4....", ".4....", "444..."}, 240, 6, 1, "......\n......\n......\n"},
        {"a row ending on a column's middle", {"..5...", "555...", "..5..."}, 300, 6, 1, "......\n......\n......\n"},
        {"plus", {".1....", "111...", ".1...."}, 60, 6, 1, "......\n......\n......\n"},
        {"a long plus", {".5....", ".5....", "555555", ".5...."}, 500, 10, 1, "......\n......\n......\n......\n"},
        {"a row with two columns: the left one goes", {"11111.", ".1.1..", ".1.1.."}, 80, 8, 1,
         "......\n...1..\n...1..\n"},
        {"two rows touching", {"111...", "111..."}, 60, 6, 2, "......\n......\n"},
        {"two columns touching", {"22....", "22....", "22...."}, 120, 6, 2, "......\n......\n......\n"},
        {"rows of two kinds touching", {"111...", "222..."}, 90, 6, 2, "......\n......\n"},
        {"a square: its top row and left column", {"333...", "333...", "333..."}, 180, 6, 1, "......\n.33...\n.33...\n"},
    };
    char boom;
    for (const Case& c : cases) {
        resetBoard();
        sound.calls.clear();
        gameState.soundEnabled = 1;
        gameState.boomSample = reinterpret_cast<FSOUND_SAMPLE*>(&boom);
        layBlocks(c.start);
        resolveRuns(board);
        EXPECT_EQ(gameState.score, c.score) << c.what;
        EXPECT_EQ(gameState.blocksDestroyed, c.listed) << c.what;
        EXPECT_EQ(static_cast<int>(board.particles.size()), c.listed) << c.what;
        EXPECT_EQ(static_cast<int>(sound.calls.size()), c.runs) << c.what;
        std::string above;
        for (size_t r = c.start.size(); r < 9; ++r) above += "......\n";
        EXPECT_EQ(boardPicture(), above + c.left) << c.what;
    }
}

// No block may vanish or appear except by the rules, and every game settles
// without holes or runs left.
TEST_F(BoardRules, RandomGamesKeepEveryBlockAndSettle) {
    unsigned rules = 1, player = 99;
    auto next = [](unsigned& s) { return static_cast<int>((s = s * 1103515245u + 12345u) >> 16 & 0x7fff); };
    platform.fallbackRandom = [&] { return next(rules); };
    int swaps = 0, crossings = 0;
    for (int game = 0; game < 40; ++game) {
        resetBoard();
        gameState.pendingDrops = 6;
        scatterBlocks(board);
        for (int frame = 0; frame < 1100; ++frame) {
            if (frame < 800 && next(player) % 3 == 0) {
                int column = next(player) % 5, row = next(player) % 9;
                startSwap(board, column, row);
                swaps += cellAt(column, row).slidingRight && cellAt(column, row).slideProgress == 0;
            }
            int blocks = blocksOnBoard(), owed = gameState.pendingDrops;
            updateBoard(board);
            int dropped = owed - gameState.pendingDrops;
            ASSERT_TRUE(dropped == 0 || dropped == 1) << game << "/" << frame;
            ASSERT_EQ(blocksOnBoard(), blocks + dropped) << game << "/" << frame;
            blocks = blocksOnBoard();
            int destroyed = gameState.blocksDestroyed;
            resolveRuns(board);
            int listed = gameState.blocksDestroyed - destroyed, removed = blocks - blocksOnBoard();
            ASSERT_EQ(gameState.pendingDrops, owed - dropped + listed);
            ASSERT_TRUE(listed >= removed && (listed == 0) == (removed == 0)) << listed << " " << removed;
            crossings += listed - removed;
            for (int c = 0; c < 6; ++c)
                for (int r = 0; r < 8; ++r)  // a fall always heads for a cell that is or will be free
                    if (!cellAt(c, r).empty && cellAt(c, r).falling) {
                        ASSERT_TRUE(cellAt(c, r + 1).empty || cellAt(c, r + 1).falling) << game << "/" << frame;
                    }
            board.particles.clear();
        }
        for (int c = 0; c < 6; ++c)
            for (int r = 0; r < 9; ++r) {
                const Cell& cell = cellAt(c, r);
                ASSERT_FALSE(cell.busy || cell.falling || cell.slidingLeft || cell.slidingRight) << c << "," << r;
                if (r < 8 && !cell.empty) { ASSERT_FALSE(cellAt(c, r + 1).empty) << "hole under " << c << "," << r; }
                PosList run;
                if (!cell.empty) findRowRun(board, run, c, r, cell.kind, false);
                if (!cell.empty && run.empty()) findColumnRun(board, run, c, r, cell.kind, false);
                ASSERT_TRUE(run.empty()) << "run left at " << c << "," << r;
            }
        for (int c = 0; c < kBoardStorageColumns; ++c)
            for (int r = 0; r < kBoardStorageRows; ++r)
                if (c >= 6 || r >= 9) {
                    const Cell& beyond = board.cells[c][r];
                    ASSERT_TRUE(!beyond.empty && !beyond.busy && !beyond.falling && beyond.kind == 0 &&
                                !beyond.slidingLeft && !beyond.slidingRight) << "storage written at " << c << "," << r;
                }
    }
    EXPECT_GT(swaps, 2000);
    EXPECT_GT(crossings, 0) << "the games should have crossed some runs";
}
