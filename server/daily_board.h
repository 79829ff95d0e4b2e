#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "score_store.h"

// A day's board of today's deal: /daily, /daily/YYYY-MM-DD and /daily.json.
struct DailyBoard {
    int64_t day = 0;    // since 1970-01-01, UTC
    int64_t today = 0;  // by the server's clock
    std::vector<LeaderRow> rows;  // each name's best, best first
    bool webServed = false;       // the browser game is served at /play/
};

// The day of "YYYY-MM-DD", or -1 for anything else, a date that does not
// exist included.
int64_t parseDay(const std::string& text);
std::string dayText(int64_t day);

// One self-contained page, as the leaderboard is.
std::string renderDailyPage(const DailyBoard& board);
std::string renderDailyJson(const DailyBoard& board);
