#include "rules/game_modes.h"

namespace {
const ModeFacts kModes[] = {
    {FreePlay, "FREE PLAY", 0, Ranking::ScorePerSecond},
    {TimeAttack, "TIMEATTACK", 1, Ranking::Duration},
    {Hardcore, "HARDCORE", -1, Ranking::Score},
    {HundredMoves, "100 MOVES", -1, Ranking::Score},
};
}  // namespace

const ModeFacts* modeFacts(int32_t mode) {
    for (const ModeFacts& facts : kModes)
        if (facts.mode == mode) return &facts;
    return nullptr;
}

const char* gameModeName(int32_t mode) {
    const ModeFacts* facts = modeFacts(mode);
    return facts ? facts->name : nullptr;
}
