#include "rules/particles.h"

#include "rules/game_state.h"
#include "rules/seams.h"
#include "rules/texture_slots.h"

namespace {
constexpr float kFadeStep = 0.1f;  // single precision: ten steps from 1 end just below 0
}  // namespace

void spawnParticle(Board& board, float column, float row) {
    Particle p;
    p.x = column * kCellPitch;
    p.y = (static_cast<float>(gameState.boardRows) - row) * kCellPitch;
    p.alpha = 1.0f;
    p.size = 0.0f;
    p.textureSlot = gameRand() % kGlowSlots + kFirstGlowSlot;
    board.particles.push_back(p);
}

void ageParticles(Board& board) {
    if (gameState.paused == 1) return;
    // Newest first; removing one leaves the older, unvisited ones in place.
    for (size_t i = board.particles.size(); i-- > 0;) {
        Particle& p = board.particles[i];
        p.alpha -= kFadeStep;
        p.size += kFadeStep;
        if (p.alpha < 0.0f) board.particles.erase(i);
    }
    if (board.flash > 0.0f) board.flash -= kFadeStep;
}
