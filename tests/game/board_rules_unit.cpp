#include <gtest/gtest.h>

#include <vector>

#include "board_fixture.h"
#include "game/board_rules.h"
#include "scripted_platform.h"

namespace {
class BoardRules : public ::testing::Test {
protected:
    void SetUp() override { resetBoardForTest(); }
    ScriptedPlatform platform;  // rand returns 0 unless a test scripts it
    Board& board = gameState.board;
};

struct Snapshot {
    std::vector<Cell> cells;
    Snapshot() {
        for (auto& column : gameState.board.cells)
            for (auto& cell : column) cells.push_back(cell);
    }
    bool operator==(const Snapshot& other) const {
        for (size_t i = 0; i < cells.size(); ++i)
            if (!sameCell(cells[i], other.cells[i])) return false;
        return true;
    }
};

bool atRest(const Cell& cell) {
    return !cell.empty && !cell.busy && !cell.falling && !cell.slidingLeft && !cell.slidingRight;
}
}  // namespace

TEST_F(BoardRules, ASwapIsDrawnFromZeroToFullAndExchangesInTheEleventhUpdate) {
    layBlocks({"..12.."});
    startSwap(board, 2, 8);
    for (int frame = 0; frame <= 10; ++frame) {
        // What the drawing of this frame sees, before the frame's update.
        ASSERT_TRUE(cellAt(2, 8).slidingRight && cellAt(3, 8).slidingLeft) << frame;
        EXPECT_EQ(cellAt(2, 8).slideProgress, frame * 10);
        EXPECT_EQ(cellAt(3, 8).slideProgress, frame * 10);
        EXPECT_TRUE(cellAt(2, 8).busy && cellAt(3, 8).busy);
        EXPECT_EQ(cellAt(2, 8).kind, 1) << frame;
        runRulesFrame();
    }
    EXPECT_EQ(boardPicture().substr(8 * 7), "..21..\n");
    EXPECT_TRUE(atRest(cellAt(2, 8)) && atRest(cellAt(3, 8)));
    EXPECT_EQ(cellAt(2, 8).slideProgress + cellAt(3, 8).slideProgress, 0);

    // Two blocks of one kind still run the whole animation.
    resetBoardForTest();
    layBlocks({"..11.."});
    startSwap(board, 2, 8);
    for (int update = 0; update < 10; ++update) runRulesFrame();
    EXPECT_TRUE(cellAt(2, 8).busy && cellAt(3, 8).busy);
    EXPECT_EQ(cellAt(3, 8).slideProgress, 100);
    runRulesFrame();
    EXPECT_TRUE(atRest(cellAt(2, 8)) && atRest(cellAt(3, 8)));
}

TEST_F(BoardRules, ABlockMovedRightOntoAHoleFallsInTheSameUpdate) {
    layBlocks({"..1...", "..2...", "..32..", "..43.."});
    startSwap(board, 2, 5);
    for (int update = 0; update < 10; ++update) runRulesFrame();
    EXPECT_TRUE(cellAt(3, 5).empty);
    runRulesFrame();
    EXPECT_TRUE(cellAt(2, 5).empty);
    ASSERT_FALSE(cellAt(3, 5).empty);
    EXPECT_EQ(cellAt(3, 5).kind, 1);
    EXPECT_TRUE(cellAt(3, 5).falling);
    EXPECT_TRUE(cellAt(3, 6).busy);
}

TEST_F(BoardRules, ABlockMovedLeftOntoAHoleFallsInTheNextUpdate) {
    layBlocks({"...1..", "...2..", "..23..", "..34.."});
    startSwap(board, 2, 5);
    for (int update = 0; update < 10; ++update) {
        runRulesFrame();
        EXPECT_EQ(cellAt(2, 5).slideProgress, 0) << "an empty left cell is carried by its partner";
    }
    runRulesFrame();
    ASSERT_FALSE(cellAt(2, 5).empty);
    EXPECT_EQ(cellAt(2, 5).kind, 1);
    EXPECT_TRUE(cellAt(3, 5).empty);
    EXPECT_FALSE(cellAt(2, 5).falling);
    runRulesFrame();
    EXPECT_TRUE(cellAt(2, 5).falling);
}

TEST_F(BoardRules, SwapsOnLockedOrFallingCellsAreIgnored) {
    auto refused = [this](auto&& arrange, int column = 2, int row = 8) {
        resetBoardForTest();
        layBlocks({"..12..", "..34.."});
        arrange();
        Snapshot before;
        startSwap(board, column, row);
        return before == Snapshot();
    };
    EXPECT_FALSE(refused([] {}));
    EXPECT_TRUE(refused([] { resetCell(cellAt(2, 8)), resetCell(cellAt(3, 8)); }));
    EXPECT_FALSE(refused([] { resetCell(cellAt(2, 8)); }));
    EXPECT_TRUE(refused([] { cellAt(2, 8).busy = true; }));
    EXPECT_TRUE(refused([] { cellAt(3, 8).busy = true; }));
    EXPECT_TRUE(refused([] { cellAt(3, 8).falling = true; }));
    EXPECT_TRUE(refused([] { cellAt(2, 8).falling = true; }));
    EXPECT_TRUE(refused([] { cellAt(3, 7).falling = true; }));
    EXPECT_TRUE(refused([] { cellAt(2, 7).falling = true; }));
    // An empty cell under a falling block may not be slid into.
    EXPECT_TRUE(refused([] { resetCell(cellAt(3, 8)), cellAt(3, 7).falling = true; }));
    EXPECT_FALSE(refused([] { cellAt(2, 6).falling = true; }));
    // Requests off the board change nothing, not even the storage beyond it.
    EXPECT_TRUE(refused([] { putBlock(5, 8, 2); }, 5, 8));
    EXPECT_TRUE(refused([] {}, -1, 8));
    EXPECT_TRUE(refused([] {}, 2, 9));

    // On the top row the cells themselves stand in for the row above, so
    // whatever lies before the board's storage row 0 is never looked at.
    resetBoardForTest();
    layBlocks({"..12..", "..34..", "..12..", "..34..", "..12..", "..34..", "..12..", "..34..", "..56.."});
    gameState.board.cells[1][39].falling = true;
    gameState.board.cells[2][39].falling = true;
    startSwap(board, 2, 0);
    EXPECT_TRUE(cellAt(2, 0).slidingRight && cellAt(3, 0).slidingLeft);
}

TEST_F(BoardRules, AFallLandsInTheEleventhUpdateAndGoesOnTenUpdatesACell) {
    putBlock(0, 0, 3);
    for (int update = 1; update <= 95; ++update) {
        runRulesFrame();
        ASSERT_EQ(blocksOnBoard(), 1);
        int row = 0, progress = 0;
        bool falling = true;
        if (update >= 12) {
            row = 1 + (update - 12) / 10;
            progress = 10 * ((update - 12) % 10 + 1);
        } else {
            progress = 10 * (update - 1);
        }
        if (row >= 8) row = 8, progress = 0, falling = false;
        const Cell& cell = cellAt(0, row);
        ASSERT_FALSE(cell.empty) << "update " << update << " row " << row;
        EXPECT_EQ(cell.falling, falling) << update;
        EXPECT_EQ(cell.fallProgress, progress) << update;
        // Only the first cell of a fall is reserved; the fall that goes on is not.
        EXPECT_EQ(cell.busy, update < 12) << update;
        if (row < 8) {
            EXPECT_EQ(cellAt(0, row + 1).busy, update < 12) << update;
        }
    }
}

TEST_F(BoardRules, AColumnOverAHoleStartsOneBlockPerUpdateFromTheBottom) {
    layBlocks({"1.....", "2.....", "3.....", "......"});
    runRulesFrame();
    EXPECT_TRUE(cellAt(0, 7).falling);
    EXPECT_FALSE(cellAt(0, 6).falling);
    runRulesFrame();
    EXPECT_TRUE(cellAt(0, 6).falling);
    EXPECT_FALSE(cellAt(0, 5).falling);
    runRulesFrame();
    EXPECT_TRUE(cellAt(0, 5).falling);
    for (int update = 4; update <= 11; ++update) runRulesFrame();
    EXPECT_TRUE(cellAt(0, 8).empty);
    runRulesFrame();  // update 12: the bottom block lands, its cell stays reserved
    EXPECT_TRUE(atRest(cellAt(0, 8)));
    EXPECT_TRUE(cellAt(0, 7).empty && cellAt(0, 7).busy);
    runRulesFrame();
    runRulesFrame();
    EXPECT_EQ(boardPicture().substr(7 * 6), "1.....\n2.....\n3.....\n");
    for (int row = 6; row <= 8; ++row) EXPECT_TRUE(atRest(cellAt(0, row))) << row;
}

TEST_F(BoardRules, ABlockFollowingAFallGoesOnUntilTheBlockBelowStops) {
    putBlock(0, 0, 1);
    putBlock(0, 1, 2);
    int lowerLanded = 0, upperLanded = 0;
    for (int update = 1; update <= 90; ++update) {
        runRulesFrame();
        if (!lowerLanded && atRest(cellAt(0, 8))) lowerLanded = update;
        if (!upperLanded && atRest(cellAt(0, 7))) upperLanded = update;
    }
    EXPECT_EQ(lowerLanded, 72);  // starts in update 1, seven cells at 10 updates each plus 1
    EXPECT_EQ(upperLanded, 73);
    EXPECT_EQ(cellAt(0, 7).kind, 1);
    EXPECT_EQ(cellAt(0, 8).kind, 2);
    EXPECT_EQ(blocksOnBoard(), 2);
}

TEST_F(BoardRules, ALandingBlockWaitsAboveACellThatASwapIsFilling) {
    layBlocks({"..1...", "......", "...2..", "..34.."});
    cellAt(2, 5).falling = cellAt(2, 5).busy = true;
    cellAt(2, 5).fallProgress = 100;
    cellAt(2, 6).busy = true;
    startSwap(board, 2, 7);  // the 2 moves left under the falling block
    runRulesFrame();
    EXPECT_TRUE(atRest(cellAt(2, 6)));
    for (int update = 0; update < 12; ++update) runRulesFrame();
    EXPECT_EQ(boardPicture().substr(7 * 5), "......\n..1...\n..2...\n..34..\n");
    EXPECT_TRUE(atRest(cellAt(2, 6)) && atRest(cellAt(2, 7)));
}

TEST_F(BoardRules, ARunCompletedByALandingBlockGoesInThatFrame) {
    layBlocks({"..1...", "11.2.."});
    for (int update = 1; update <= 11; ++update) runRulesFrame();
    EXPECT_EQ(gameState.score, 0u);
    runRulesFrame();
    EXPECT_EQ(gameState.score, 30u);
    EXPECT_EQ(boardPicture().substr(7 * 7), "......\n...2..\n");
}

TEST_F(BoardRules, ABlockFallingOnWithoutReservationScoresInMidAir) {
    layBlocks({"22....", "34.3..", "43.4..", "34.3..", "43.4.."});
    Cell& dropping = cellAt(2, 4);
    dropping = Cell{2, false, false, 0, false, true, 40, false};
    cellAt(2, 5).busy = true;  // left reserved by the block that fell before it
    resolveRuns(board);
    EXPECT_EQ(gameState.score, 60u);
    EXPECT_TRUE(cellAt(2, 4).empty);
    EXPECT_TRUE(sameCell(cellAt(2, 5), Cell{1, false, false, 0, true, false, 0, false}));
    for (int update = 0; update < 20; ++update) runRulesFrame();
    EXPECT_EQ(boardPicture().substr(7 * 4), "......\n34.3..\n43.4..\n34.3..\n43.4..\n");
}

TEST_F(BoardRules, DropsWaitForAFreeTopCellAndComeOnePerFrame) {
    // A full board without runs: every top cell is taken.
    for (int c = 0; c < 6; ++c)
        for (int r = 0; r < 9; ++r) putBlock(c, r, (c + 2 * r) % 5 + 1);
    gameState.pendingDrops = 3;
    Snapshot full;
    for (int frame = 1; frame <= 5; ++frame) {
        runRulesFrame();
        EXPECT_EQ(platform.randomCalls, frame);
    }
    EXPECT_EQ(gameState.pendingDrops, 3);
    EXPECT_TRUE(full == Snapshot());

    resetBoardForTest();
    platform.randomCalls = 0;
    gameState.pendingDrops = 2;
    platform.randomValues = {9, 7, 3, 12, 4};
    runRulesFrame();  // column 9 % 6 = 3, kind 7 % 5 + 1 = 3
    EXPECT_EQ(platform.randomCalls, 2);
    EXPECT_EQ(boardPicture().substr(0, 7), "...3..\n");
    EXPECT_FALSE(cellAt(3, 0).falling);  // dropped after the cells were visited
    runRulesFrame();                     // column 3 again: still full, the drop waits
    EXPECT_EQ(platform.randomCalls, 3);
    EXPECT_TRUE(cellAt(3, 0).falling);
    EXPECT_EQ(gameState.pendingDrops, 1);
    runRulesFrame();  // column 0, kind 4 % 5 + 1 = 5
    EXPECT_EQ(platform.randomCalls, 5);
    EXPECT_EQ(cellAt(0, 0).kind, 5);
    EXPECT_EQ(gameState.pendingDrops, 0);
    runRulesFrame();
    EXPECT_EQ(platform.randomCalls, 5);
}

TEST_F(BoardRules, ABlockDroppedIntoAnEmptySwapPartnerTurnsTheSwapIntoAnExchange) {
    layBlocks({"3.....", "12....", "21....", "12....", "21....", "12....", "21....", "12....", "21...."});
    resetCell(cellAt(1, 0));
    startSwap(board, 0, 0);
    runRulesFrame();
    runRulesFrame();
    gameState.pendingDrops = 1;
    platform.randomValues = {1, 3};  // column 1, kind 4
    runRulesFrame();
    EXPECT_TRUE(cellAt(1, 0).slidingLeft && cellAt(1, 0).busy);
    for (int update = 0; update < 8; ++update) runRulesFrame();
    EXPECT_EQ(boardPicture().substr(0, 7), "43....\n");
    EXPECT_TRUE(atRest(cellAt(0, 0)) && atRest(cellAt(1, 0)));
}

TEST_F(BoardRules, EmptyCellsAreTidiedUnlessAMoveIsAboutToFillThem) {
    layBlocks({"......", "3.4.1.", "......"});
    cellAt(0, 7) = Cell{4, false, false, 0, true, false, 50, true};   // a leftover
    cellAt(5, 7) = Cell{2, false, false, 30, true, false, 0, true};   // a leftover at the edge
    gameState.board.cells[6][7].slidingLeft = true;                  // beyond the board: ignored
    cellAt(0, 6).falling = true;                                      // above (0, 7)... but empty
    cellAt(1, 6) = Cell{5, false, false, 0, false, true, 20, true};  // a block falling into (1, 7)
    cellAt(2, 7).slidingRight = true;                                 // (3, 7) is its empty partner
    cellAt(3, 7).busy = true;
    cellAt(4, 7).slidingLeft = true;
    cellAt(4, 7).busy = true;
    cellAt(1, 7).busy = true;
    Cell partnerOfRight = cellAt(3, 7);
    Cell reserved = cellAt(1, 7);
    resolveRuns(board);
    EXPECT_TRUE(sameCell(cellAt(0, 7), Cell{1, false, false, 0, true, false, 0, false}));
    EXPECT_TRUE(sameCell(cellAt(5, 7), Cell{1, false, false, 0, true, false, 0, false}));
    EXPECT_TRUE(sameCell(cellAt(1, 7), reserved));
    EXPECT_TRUE(sameCell(cellAt(3, 7), partnerOfRight));
    // An empty right-hand partner of a swap with an empty left cell keeps its flags too.
    resetBoardForTest();
    cellAt(2, 8).slidingRight = true;
    cellAt(2, 8).busy = true;
    putBlock(3, 8, 2);
    cellAt(3, 8).slidingLeft = true;
    cellAt(3, 8).busy = true;
    resolveRuns(board);
    EXPECT_TRUE(cellAt(2, 8).slidingRight && cellAt(2, 8).busy);
}

TEST_F(BoardRules, EmptyTopCellsIgnoreWhatLiesBeforeTheBoardStorage) {
    cellAt(2, 0).busy = true;
    gameState.board.cells[1][39].falling = true;  // what "row -1" of column 2 would read
    resolveRuns(board);
    EXPECT_FALSE(cellAt(2, 0).busy);
}
