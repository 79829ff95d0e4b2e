#pragma once
#include "rules/highscore_records.h"

constexpr int kNotEntered = 11;

extern const char* const kHighscoreFileName;

void loadHighscores(HighscoreStore& store);
void saveHighscores();
int insertHighscore(int mode);
