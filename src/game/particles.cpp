#include "game/particles.h"

#include <GL/gl.h>

#include "base/game_state.h"
#include "base/texture_slots.h"
#include "base/platform.h"
#include "game/board_drawing.h"

namespace {
constexpr float kFadeStep = 0.1f;  // single precision: ten steps from 1 end just below 0
constexpr int kFlashList = 2;

bool isPaused() { return gameState.paused == 1; }

void drawGlow(const Particle& p) {
    glPushMatrix();
    glTranslatef(p.x, p.y, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, p.alpha);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, gameState.textures[p.textureSlot]);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-p.size, -p.size, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(p.size, -p.size, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(p.size, p.size, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-p.size, p.size, 0.0f);
    glEnd();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}

void drawFlash(float flash) {
    glPushMatrix();
    glColor3f(flash, flash, flash);
    glCallList(gameState.displayListBase + kFlashList);
    glPopMatrix();
}
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
    if (isPaused()) return;
    // Newest first; removing one leaves the older, unvisited ones in place.
    for (size_t i = board.particles.size(); i-- > 0;) {
        Particle& p = board.particles[i];
        p.alpha -= kFadeStep;
        p.size += kFadeStep;
        if (p.alpha < 0.0f) board.particles.erase(i);
    }
    if (board.flash > 0.0f) board.flash -= kFadeStep;
}

void drawParticles(Board& board) {
    for (size_t i = board.particles.size(); i-- > 0;) drawGlow(board.particles[i]);
    if (board.flash > 0.0f) drawFlash(board.flash);
    ageParticles(board);
}
