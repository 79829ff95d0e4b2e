#include "rules/daily_deal.h"

#include "rules/game_modes.h"

uint32_t dailySeed(uint32_t seconds) { return seconds - seconds % kSecondsADay; }

int64_t dailyDayOf(int32_t mode, uint32_t seed) {
    if (mode != TimeAttack || seed % kSecondsADay != 0) return -1;
    return seed / kSecondsADay;
}
