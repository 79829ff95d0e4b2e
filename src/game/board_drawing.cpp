#include "game/board_drawing.h"

#include <GL/gl.h>

#include <cmath>

#include "rules/game_state.h"
#include "rules/texture_slots.h"

namespace {
constexpr float kArcDepth = 0.3f;
// A little under pi / 100, so the arc closes just short of zero at 100 %.
constexpr float kArcPerPercent = 0.03141592f;
constexpr int kBlockList = 0;
constexpr int kCursorList = 1;
constexpr int kKinds = 6;

void drawCell(Board& board, const Cell& cell, int column, int row) {
    if (cell.kind >= 1 && cell.kind <= kKinds) glBindTexture(GL_TEXTURE_2D, gameState.textures[kFirstBlockSlot - 1 + cell.kind]);
    float x = static_cast<float>(column) * kCellPitch;
    float y = static_cast<float>(gameState.boardRows - row) * kCellPitch;
    float z = 0.0f;
    if (cell.falling) {
        y -= static_cast<float>(cell.fallProgress) * kCellPitch / 100.0f;
    } else if (cell.slidingRight) {
        // The two blocks of a swap pass each other, one in front, one behind.
        x += static_cast<float>(cell.slideProgress) * kCellPitch / 100.0f;
        z = kArcDepth * std::sin(static_cast<float>(cell.slideProgress) * kArcPerPercent);
    } else if (cell.slidingLeft) {
        x -= static_cast<float>(cell.slideProgress) * kCellPitch / 100.0f;
        z = -kArcDepth * std::sin(static_cast<float>(cell.slideProgress) * kArcPerPercent);
    }
    drawBlock(board, x, y, z);
}
}  // namespace

void drawBoard(Board& board) {
    for (int column = 0; column < gameState.boardColumns; ++column)
        for (int row = 0; row < gameState.boardRows; ++row) {
            const Cell& cell = board.cells[column][row];
            if (!cell.empty) drawCell(board, cell, column, row);
        }
}

void drawBlock(Board&, float x, float y, float z) {
    glPushMatrix();
    glTranslatef(x, y, z);
    glCallList(gameState.displayListBase + kBlockList);
    glPopMatrix();
}

void drawCursor(Board&, float x, float y) {
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glCallList(gameState.displayListBase + kCursorList);
    glPopMatrix();
}

void drawBoardBackground(Board&) {
    glPushMatrix();
    glTranslatef(0.0f, 1.0f, -1.0f);
    glBindTexture(GL_TEXTURE_2D, gameState.textures[kBoardBackdropSlot]);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-2.5f, 2.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(3.0f, 2.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(3.0f, -2.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-2.5f, -2.0f, 0.0f);
    glEnd();
    glPopMatrix();
}
