#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One text of the highscore screen, at its place on the 640 x 480 text plane.
struct ScreenText {
    std::string text;
    int x;
    int y;
};

constexpr int kScoreServerPort = QUADRUNE_SCORE_PORT;

void showHighscores(int mode, int markedRow);

// What the screen shows for a mode, in drawing order.
std::vector<ScreenText> highscoreScreenTexts(int mode, int markedRow);
std::string highscoreScoreText(uint32_t score);
// Table 0 keeps whole seconds, table 1 milliseconds; both show seconds.
std::string highscoreTimeText(int mode, uint32_t storedTime);
// The second prompt line: the score server's domain in capitals, then "? Y/N".
std::string highscorePromptLine(const char* domain);
