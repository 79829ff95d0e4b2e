#include <gtest/gtest.h>

#include "board_fixture.h"
#include "game/board_rules.h"
#include "scripted_platform.h"

// Whole games of random play: no block may vanish or appear except by the
// rules, and every board settles without holes or runs.
namespace {
struct Lcg {
    unsigned state;
    int next() { return static_cast<int>((state = state * 1103515245u + 12345u) >> 16 & 0x7fff); }
};

bool storageBeyondBoardUntouched() {
    for (int c = 0; c < kBoardStorageColumns; ++c)
        for (int r = 0; r < kBoardStorageRows; ++r)
            if ((c >= 6 || r >= 9) && !sameCell(gameState.board.cells[c][r], Cell{})) return false;
    return true;
}

// A locked fall's target is locked and about to be free; a fall that goes
// on without a lock heads for an empty cell or one being left.
void expectFallsAreConsistent(int frame) {
    for (int c = 0; c < 6; ++c)
        for (int r = 0; r < 9; ++r) {
            const Cell& cell = cellAt(c, r);
            ASSERT_EQ(cell.fallProgress % 10, 0);
            ASSERT_TRUE(cell.slideProgress >= 0 && cell.slideProgress <= 100);
            if (cell.empty || !cell.falling) continue;
            ASSERT_LT(r, 8) << "frame " << frame;
            const Cell& below = cellAt(c, r + 1);
            if (cell.busy) {
                ASSERT_TRUE(below.busy && (below.empty || below.falling)) << "frame " << frame << " " << c << "," << r;
            } else {
                ASSERT_TRUE(below.empty || below.falling) << "frame " << frame << " " << c << "," << r;
            }
        }
}

void expectSettled() {
    for (int c = 0; c < 6; ++c)
        for (int r = 0; r < 9; ++r) {
            const Cell& cell = cellAt(c, r);
            EXPECT_FALSE(cell.busy || cell.falling || cell.slidingLeft || cell.slidingRight) << c << "," << r;
            if (r < 8 && !cell.empty) {
                EXPECT_FALSE(cellAt(c, r + 1).empty) << "hole under " << c << "," << r;
            }
            if (cell.empty) continue;
            PosList list;
            findRowRun(gameState.board, list, c, r, cell.kind, false);
            if (list.empty()) findColumnRun(gameState.board, list, c, r, cell.kind, false);
            EXPECT_TRUE(list.empty()) << "run left at " << c << "," << r;
        }
    bool topFull = true;
    for (int c = 0; c < 6; ++c) topFull = topFull && !cellAt(c, 0).empty;
    EXPECT_TRUE(gameState.pendingDrops == 0 || topFull);
}
}  // namespace

TEST(BoardPlay, RandomGamesKeepEveryBlockAndSettle) {
    ScriptedPlatform platform;
    Lcg rules{1};
    Lcg player{99};
    platform.fallbackRandom = [&rules] { return rules.next(); };
    int crossings = 0;
    int swaps = 0;
    for (int game = 0; game < 40; ++game) {
        resetBoardForTest();
        gameState.pendingDrops = 6;
        scatterBlocks(gameState.board);
        for (int frame = 0; frame < 1100; ++frame) {
            if (frame < 800 && player.next() % 3 == 0) {
                int column = player.next() % 5, row = player.next() % 9;
                startSwap(gameState.board, column, row);
                swaps += cellAt(column, row).slidingRight && cellAt(column, row).slideProgress == 0 ? 1 : 0;
            }
            int blocks = blocksOnBoard();
            int owed = gameState.pendingDrops;
            updateBoard(gameState.board);
            int dropped = owed - gameState.pendingDrops;
            ASSERT_TRUE(dropped == 0 || dropped == 1) << "game " << game << " frame " << frame;
            ASSERT_EQ(blocksOnBoard(), blocks + dropped) << "game " << game << " frame " << frame;

            blocks = blocksOnBoard();
            int destroyedBefore = gameState.blocksDestroyed;
            size_t glowsBefore = gameState.board.particles.size();
            resolveRuns(gameState.board);
            int listed = gameState.blocksDestroyed - destroyedBefore;
            int removed = blocks - blocksOnBoard();
            ASSERT_EQ(static_cast<int>(gameState.board.particles.size() - glowsBefore), listed);
            ASSERT_EQ(gameState.pendingDrops, owed - dropped + listed);
            ASSERT_TRUE(listed >= removed && (listed == 0) == (removed == 0)) << listed << " " << removed;
            crossings += listed - removed;
            expectFallsAreConsistent(frame);
            gameState.board.particles.clear();
        }
        expectSettled();
        ASSERT_TRUE(storageBeyondBoardUntouched());
    }
    EXPECT_GT(gameState.score, 0u);
    EXPECT_GT(swaps, 2000);
    EXPECT_GT(crossings, 0) << "the games should have crossed some runs";
}
