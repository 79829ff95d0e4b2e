#pragma once
#include <string>
#include <vector>

struct GameState;

// A HUD line at a raster position in the game scene's coordinates.
struct HudLine {
    float x;
    float y;
    std::string text;
};

// A text at a pen position of the 640 x 480 text plane, y downwards.
struct OverlayText {
    int x;
    int y;
    std::string text;
};

// The score and blocks lines, drawn before the clock advances.
std::vector<HudLine> hudScoreLines(const GameState& state);
// The time line and, in FREE PLAY and TIMEATTACK, the fourth line.
std::vector<HudLine> hudClockLines(const GameState& state);
// "PAUSED" or the "GAME OVER" texts; nothing while the game runs.
std::vector<OverlayText> overlayTexts(const GameState& state);
