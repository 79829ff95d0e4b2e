#include "replay_intake.h"

#include <chrono>

#include "rules/replay_file.h"
#include "rules/replay_check.h"
#include "rules/daily_deal.h"

namespace {
ReplayJudgement refuse(int status, std::string kind, std::string reason) {
    ReplayJudgement judgement;
    judgement.status = status;
    judgement.kind = std::move(kind);
    judgement.reason = std::move(reason);
    return judgement;
}

// The game runs 20 frames a second: when its last frame came, by the seed's clock.
uint64_t endSeconds(const Replay& replay) { return uint64_t(replay.seed) + replay.frames.size() / 20; }

const char* kindOf(const std::string& why) {
    if (why.find("pace") != std::string::npos || why.find("backwards") != std::string::npos) return "pace";
    if (why.find("played again") != std::string::npos) return "result";
    return "play";
}

// The row as the plain upload carries it, held to the same checks.
UploadVerdict rowCheck(const Replay& replay) {
    std::string body = "data=" + std::string(reinterpret_cast<const char*>(&replay.row), sizeof replay.row) + "0120";
    return checkUpload("/score.php", "mode=" + std::to_string(replay.mode), body);
}
}  // namespace

ReplayJudgement judgeReplay(const std::string& query, const std::string& body, const ReplayRules& rules) {
    int mode = query.compare(0, 5, "mode=") == 0 ? parseMode(query.substr(5)) : 0;
    if (mode == 0) return refuse(400, "mode", "query must be mode=1, 2, 3 or 4");
    Replay replay;
    std::string why;
    if (!decodeReplay(reinterpret_cast<const uint8_t*>(body.data()), body.size(), replay, why))
        return refuse(422, "damaged", "not a replay: " + why);
    if (replay.mode != mode)
        return refuse(400, "mode", "the replay is of mode " + std::to_string(replay.mode) + ", not " + std::to_string(mode));
    if (endSeconds(replay) > uint64_t(rules.nowSeconds) + kClockSlackSeconds)
        return refuse(422, "seed", "the game ends later than the server's clock");
    if (uint64_t(replay.seed) + rules.maxAgeSeconds < rules.nowSeconds)
        return refuse(422, "seed", "the game began longer ago than replays are taken");
    auto start = std::chrono::steady_clock::now();
    ReplayVerdict verdict = checkReplay(replay);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!verdict.matches) {
        ReplayJudgement judgement = refuse(422, kindOf(verdict.why), verdict.why);
        judgement.verifySeconds = seconds;
        return judgement;
    }
    UploadVerdict row = rowCheck(replay);
    if (row.status != 200) return refuse(422, "row", row.reason);
    ReplayJudgement judgement;
    judgement.upload = row.upload;
    judgement.upload.dailyDay = dailyDayOf(replay.mode, replay.seed);
    judgement.verifySeconds = seconds;
    return judgement;
}
