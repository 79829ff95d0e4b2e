#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board_fixture.h"
#include "game/board_rules.h"
#include "scripted_platform.h"

namespace {
using Positions = std::vector<std::pair<int, int>>;

Positions positionsOf(const PosList& list) {
    Positions out;
    for (const CellPos& p : list) out.push_back({p.column, p.row});
    return out;
}

Positions rowRun(int column, int row, int kind) {
    PosList list;
    findRowRun(gameState.board, list, column, row, kind, false);
    return positionsOf(list);
}

Positions columnRun(int column, int row, int kind) {
    PosList list;
    findColumnRun(gameState.board, list, column, row, kind, false);
    return positionsOf(list);
}

// The search the frame's removal makes from one cell: across first, then down.
Positions searchFrom(int column, int row) {
    int kind = cellAt(column, row).kind;
    Positions found = rowRun(column, row, kind);
    return found.empty() ? columnRun(column, row, kind) : found;
}

class BoardModel : public ::testing::Test {
protected:
    void SetUp() override { resetBoardForTest(); }
};
}  // namespace

TEST_F(BoardModel, ScatterMakesSeventyFivePlacementCallsInColumnRowKindOrder) {
    ScriptedPlatform platform;
    // First placement: column 7 % 6 = 1, row 12 % 9 = 3, kind 9 % 5 + 1 = 5.
    // Second lands on the same cell and only changes its kind to 2.
    platform.randomValues = {7, 12, 9, 1, 3, 6};
    platform.fallbackRandom = [] { return 0; };  // the rest all land on (0, 0) with kind 1
    putBlock(4, 4, 3);                           // a leftover of the last game
    cellAt(4, 5).busy = true;
    cellAt(6, 0).kind = 9;  // outside the board in use: never touched
    scatterBlocks(gameState.board);
    EXPECT_EQ(platform.randomCalls, 75);
    EXPECT_EQ(blocksOnBoard(), 2);
    EXPECT_FALSE(cellAt(1, 3).empty);
    EXPECT_EQ(cellAt(1, 3).kind, 2);
    EXPECT_FALSE(cellAt(0, 0).empty);
    EXPECT_EQ(cellAt(0, 0).kind, 1);
    EXPECT_TRUE(cellAt(4, 4).empty);
    EXPECT_FALSE(cellAt(4, 5).busy);
    EXPECT_EQ(cellAt(6, 0).kind, 9);
}

TEST_F(BoardModel, ScatterDealsAtMostTwentyFiveBlocksOfKindsOneToFive) {
    ScriptedPlatform platform;
    unsigned state = 12345;
    platform.fallbackRandom = [&state] { return static_cast<int>((state = state * 1103515245u + 12345u) >> 16 & 0x7fff); };
    for (int game = 0; game < 20; ++game) {
        scatterBlocks(gameState.board);
        EXPECT_LE(blocksOnBoard(), 25);
        EXPECT_GT(blocksOnBoard(), 10);
        for (int c = 0; c < 6; ++c)
            for (int r = 0; r < 9; ++r) {
                const Cell& cell = cellAt(c, r);
                if (!cell.empty) {
                    EXPECT_TRUE(cell.kind >= 1 && cell.kind <= 5) << cell.kind;
                }
                EXPECT_FALSE(cell.busy || cell.falling || cell.slidingLeft || cell.slidingRight);
            }
    }
    EXPECT_EQ(platform.randomCalls, 20 * 75);
}

TEST_F(BoardModel, StraightRunsNeedThreeAndAreScannedFromTheirLeftOrTopEnd) {
    layBlocks({"11.222", "3....4", "3....4", "3....."});
    EXPECT_TRUE(rowRun(0, 5, 1).empty());
    EXPECT_TRUE(rowRun(1, 5, 1).empty());
    EXPECT_EQ(rowRun(4, 5, 2), (Positions{{3, 5}, {4, 5}, {5, 5}}));
    EXPECT_EQ(columnRun(0, 7, 3), (Positions{{0, 6}, {0, 7}, {0, 8}}));
    EXPECT_TRUE(columnRun(5, 6, 4).empty());

    resetBoardForTest();
    layBlocks({"444444"});
    Positions whole{{0, 8}, {1, 8}, {2, 8}, {3, 8}, {4, 8}, {5, 8}};
    for (int start = 0; start < 6; ++start) EXPECT_EQ(rowRun(start, 8, 4), whole) << start;
}

TEST_F(BoardModel, CrossingRunsListTheSharedBlockTwice) {
    // An L sharing its corner at (0, 8).
    layBlocks({"2.....", "2.....", "222..."});
    Positions ell{{0, 6}, {0, 7}, {0, 8}, {0, 8}, {1, 8}, {2, 8}};
    EXPECT_EQ(searchFrom(0, 6), ell);
    EXPECT_EQ(searchFrom(0, 8), (Positions{{0, 8}, {1, 8}, {2, 8}, {0, 6}, {0, 7}, {0, 8}}));

    // A plus sign centred on (2, 7): six entries from every one of its cells.
    resetBoardForTest();
    layBlocks({"..3...", ".333..", "..3..."});
    const std::pair<int, int> cells[] = {{2, 6}, {1, 7}, {2, 7}, {3, 7}, {2, 8}};
    for (auto [c, r] : cells) {
        Positions found = searchFrom(c, r);
        ASSERT_EQ(found.size(), 6u) << c << "," << r;
        int centre = 0;
        for (auto p : found) centre += p == std::make_pair(2, 7) ? 1 : 0;
        EXPECT_EQ(centre, 2) << c << "," << r;
    }
    EXPECT_EQ(searchFrom(1, 7), (Positions{{1, 7}, {2, 7}, {3, 7}, {2, 6}, {2, 7}, {2, 8}}));
}

TEST_F(BoardModel, OnlyTheFirstCrossingRunFromTheLeftIsAdded) {
    layBlocks({".5.5..", ".5.5..", "55555."});
    EXPECT_EQ(rowRun(4, 8, 5), (Positions{{0, 8}, {1, 8}, {2, 8}, {3, 8}, {4, 8}, {1, 6}, {1, 7}, {1, 8}}));
    // Nested searches never look for crossings.
    PosList list;
    findRowRun(gameState.board, list, 2, 8, 5, true);
    EXPECT_EQ(list.size(), 5u);
    list.clear();
    findColumnRun(gameState.board, list, 3, 6, 5, true);
    EXPECT_EQ(positionsOf(list), (Positions{{3, 6}, {3, 7}, {3, 8}}));
}

TEST_F(BoardModel, LockedEmptyOrForeignCellsBreakRuns) {
    layBlocks({"111112"});
    cellAt(2, 8).busy = true;
    EXPECT_TRUE(rowRun(3, 8, 1).empty());
    EXPECT_TRUE(rowRun(4, 8, 1).empty());
    EXPECT_TRUE(rowRun(0, 8, 1).empty());
    cellAt(2, 8).busy = false;
    EXPECT_EQ(rowRun(3, 8, 1).size(), 5u);

    // An empty or foreign start cell yields nothing in its direction, even
    // with runs beside it and below it.
    resetBoardForTest();
    layBlocks({".111..", "1.....", "1.....", "1....."});
    EXPECT_TRUE(searchFrom(0, 5).empty());
    putBlock(0, 5, 2);
    EXPECT_TRUE(searchFrom(0, 5).empty());
    EXPECT_EQ(searchFrom(1, 5).size(), 3u);
    EXPECT_EQ(searchFrom(0, 6).size(), 3u);
}

TEST_F(BoardModel, AFallingBlockTakesPartUnlessItIsLocked) {
    layBlocks({"444...", "123...", "231...", "312...", "123..."});
    cellAt(1, 4).falling = true;
    cellAt(1, 4).fallProgress = 30;
    EXPECT_EQ(rowRun(0, 4, 4), (Positions{{0, 4}, {1, 4}, {2, 4}}));
    cellAt(1, 4).busy = true;
    EXPECT_TRUE(rowRun(0, 4, 4).empty());
}

TEST(PosListAccess, ReadsOutsideTheListThrow) {
    PosList list;
    list.push_back({1, 2});
    EXPECT_EQ(list[0].row, 2);
    try {
        (void)list[1];
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "vector [] access out of range");
    }
}
