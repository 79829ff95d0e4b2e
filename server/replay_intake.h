#pragma once
#include <cstdint>
#include <string>

#include "upload_check.h"

// What the server makes of a replay sent to POST /replay.php: the row it
// proves, or why it proves nothing. Played again here, with the game's own
// rules; time and memory stay bounded by the replay format's limits (1 MiB,
// six hours of frames), a few tenths of a second at most.
struct ReplayJudgement {
    int status = 200;       // 400 or 422 refuse, with `reason` as the answer's line
    std::string reason;
    std::string kind;       // the refusal's kind, for the metrics: damaged, mode, seed, pace, result, row
    Upload upload;          // the row the replay ends with, when accepted
    double verifySeconds = 0;
};

struct ReplayRules {
    uint32_t nowSeconds;      // the server's clock
    uint32_t maxAgeSeconds;   // how long before now a game may have started
};
// A start this far ahead of the server's clock is still taken: a player's
// clock may run a little fast.
constexpr uint32_t kClockSlackSeconds = 300;

ReplayJudgement judgeReplay(const std::string& query, const std::string& body, const ReplayRules& rules);
