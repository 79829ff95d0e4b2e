#include "game/game_hud.h"

#include <cstdarg>
#include <cstdio>

#include "rules/game_state.h"

namespace {
constexpr float kHudX = -1.3f;

std::string format(const char* pattern, ...) {
    char buffer[64];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, args);
    va_end(args);
    return buffer;
}

std::string fourthLine(const GameState& state) {
    double seconds = state.elapsedMs / 1000.0;
    if (state.config.gameMode == FreePlay)
        return format("Score per time: %.1f", state.elapsedMs == 0 ? double(state.score) : state.score / seconds);
    // Before the clock has counted anything the line shows 10.0, not 50.0.
    return format("Time left: %.1f", state.elapsedMs == 0 ? 10.0 : state.timeLeftMs / 1000.0);
}
}  // namespace

std::vector<HudLine> hudScoreLines(const GameState& state) {
    return {{kHudX, 1.85f, format("Score: %i", static_cast<int>(state.score))},
            {kHudX, 1.57f, format("Blocks destroyed: %i", static_cast<int>(state.blocksDestroyed))}};
}

std::vector<HudLine> hudClockLines(const GameState& state) {
    std::vector<HudLine> lines{{kHudX, 1.33f, format("Time: %i", static_cast<int>(state.elapsedMs / 1000))}};
    int mode = state.config.gameMode;
    if (mode == FreePlay || mode == TimeAttack) lines.push_back({kHudX, 1.1f, fourthLine(state)});
    return lines;
}

std::vector<OverlayText> overlayTexts(const GameState& state) {
    if (state.paused != 1) return {};
    if (!state.timeUp) return {{250, 240, "PAUSED"}};
    return {{200, 0, "GAME OVER"},
            {200, 27, format("TIME: %.1f", state.elapsedMs / 1000.0)},
            {200, 450, "(PRESS ESC)"}};
}
