#pragma once
#include <cstddef>
#include <cstdint>

// One row of a table, and also the record the score upload sends.
struct HighscoreEntry {
    char name[10];
    uint8_t reserved10[2];
    int32_t removedByKind[10];
    int32_t blocksDestroyed;
    uint32_t score;
    int32_t reserved60;
    uint32_t time;
    uint8_t reserved68[4];
    double scorePerSecond;
    uint8_t reserved80[40];
};
static_assert(sizeof(HighscoreEntry) == 120);
static_assert(offsetof(HighscoreEntry, removedByKind) == 12);
static_assert(offsetof(HighscoreEntry, blocksDestroyed) == 52);
static_assert(offsetof(HighscoreEntry, score) == 56);
static_assert(offsetof(HighscoreEntry, reserved60) == 60);
static_assert(offsetof(HighscoreEntry, time) == 64);
static_assert(offsetof(HighscoreEntry, scorePerSecond) == 72);

constexpr int kHighscoreRows = 10;
constexpr int kHighscoreTables = 8;

struct HighscoreTable {
    HighscoreEntry rows[kHighscoreRows];
};
static_assert(sizeof(HighscoreTable) == 1200);

// The exact byte image of highscore.dat.
struct HighscoreStore {
    HighscoreTable tables[kHighscoreTables];
    uint8_t initialisedMarker;
    uint8_t reserved9601[7];
};
static_assert(sizeof(HighscoreStore) == 9608);
static_assert(offsetof(HighscoreStore, initialisedMarker) == 9600);
