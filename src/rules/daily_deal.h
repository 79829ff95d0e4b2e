#pragma once
#include <cstdint>

// Today's deal: one TIMEATTACK deal for everyone each day, seeded with the
// day's 00:00 UTC. The game plays it and the server ranks it by this alone.

constexpr uint32_t kSecondsADay = 24 * 60 * 60;

// The seed of the deal of the UTC day that `seconds` (since 1970) falls on.
uint32_t dailySeed(uint32_t seconds);
// The day, counted from 1970-01-01, whose deal a game of this mode and seed
// played; -1 when it is no daily game.
int64_t dailyDayOf(int32_t mode, uint32_t seed);
