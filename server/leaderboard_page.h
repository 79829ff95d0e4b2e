#pragma once
#include <string>
#include <vector>

#include "score_store.h"

struct ModeBoard {
    int mode;
    std::vector<LeaderRow> rows;
};

const char* modeTitle(int mode);
std::string escapeHtml(const std::string& text);
// One self-contained page: no scripts, fonts or pictures from anywhere else.
// With `playable`, it links the browser game at /play/ and each verified row's replay there.
std::string renderLeaderboardPage(const std::vector<ModeBoard>& boards, bool playable = false);
std::string renderScoresJson(const ModeBoard& board);
