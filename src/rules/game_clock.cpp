#include "rules/game_clock.h"

#include "rules/game_state.h"
#include "rules/seams.h"

uint32_t drainFactor(uint32_t elapsedMs) { return elapsedMs / 100000 + 1; }

void advanceGameClock(GameState& state) {
    if (state.paused != 1) {
        // Unsigned differences stay right across the tick counter's wrap.
        if (state.lastTick != 0) state.elapsedMs += getTicks() - state.lastTick;
        if (state.config.gameMode == TimeAttack && state.lastTick != 0) {
            uint32_t step = (getTicks() - state.lastTick) * drainFactor(state.elapsedMs);
            if (step >= state.timeLeftMs) {
                state.timeUp = true;
                state.paused = 1;
            }
            // Once the time is up it stays at its last value, also after P.
            if (!state.timeUp) state.timeLeftMs -= step;
        }
    }
    state.lastTick = getTicks();
}
