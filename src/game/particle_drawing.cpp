#include "game/particle_drawing.h"

#include <GL/gl.h>

#include "rules/game_state.h"
#include "rules/particles.h"

namespace {
constexpr int kFlashList = 2;

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

void drawParticles(Board& board) {
    for (size_t i = board.particles.size(); i-- > 0;) drawGlow(board.particles[i]);
    if (board.flash > 0.0f) drawFlash(board.flash);
    ageParticles(board);
}
