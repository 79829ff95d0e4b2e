// Stand-in until the score upload lands.
#include "scores/score_submit.h"

int submitScore(const char*, int) { return -1; }
