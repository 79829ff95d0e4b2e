#include "game/game_screen.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include "rules/game_state.h"
#include "rules/seams.h"
#include "sound/sound_system.h"
#include "game/board_drawing.h"
#include "rules/game_clock.h"
#include "game/game_hud.h"
#include "rules/game_keys.h"
#include "rules/game_round.h"
#include "game/particle_drawing.h"
#include "render/text_render.h"

static_assert(kKeySpace == SDLK_SPACE && kKeyM == SDLK_m && kKeyP == SDLK_p && kKeyUp == SDLK_UP &&
                  kKeyDown == SDLK_DOWN && kKeyRight == SDLK_RIGHT && kKeyLeft == SDLK_LEFT,
              "the game keys are SDL 1.2 key symbols");

namespace {
void drainGameEvents(GameState& state) {
    InputEvent event;
    while (readEvent(event)) applyGameEvent(state, event);
}

void toggleMusic(GameState& state) {
    if (state.config.musicOn) {
        FSOUND_Stream_Stop(state.gameMusicStream);
        state.config.musicOn = 0;
        state.musicChannel = -1;
    } else {
        state.musicChannel = FSOUND_Stream_Play(FSOUND_FREE, state.gameMusicStream);
        state.config.musicOn = 1;
    }
}

void leaveGame(GameState& state) {
    if (state.config.musicOn) {
        FSOUND_Stream_Stop(state.gameMusicStream);
        state.musicChannel = FSOUND_Stream_Play(FSOUND_FREE, state.menuMusicStream);
    }
    state.keyLatch = 1;
    state.screen = MenuScreen;
    // A closed window never sends Escape's release; without this the menu
    // would take the stale Escape for a quit at the next key release.
    setKeyDown(kEscapeKey, 0);
    if (showGameResults) showGameResults(state.config.gameMode);
}

void drawScene(GameState& state) {
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0.0f, -1.2f, -3.1f);

    glEnable(GL_TEXTURE_2D);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawBoard(state.board);

    glColor3f(1.0f, 1.0f, 1.0f);
    glDisable(GL_TEXTURE_2D);
    drawCursor(state.board, state.cursorColumn * kCellPitch, (state.boardRows - state.cursorRow) * kCellPitch);

    glEnable(GL_TEXTURE_2D);
    drawBoardBackground(state.board);
    glDisable(GL_TEXTURE_2D);

    drawParticles(state.board);
}

void drawHudLines(const std::vector<HudLine>& lines) {
    for (const HudLine& line : lines) {
        glRasterPos2f(line.x, line.y);
        drawBitmapText(line.text.c_str());
    }
}
}  // namespace

void (*showGameResults)(int mode) = nullptr;

void startNewGame(GameState& state) {
    beginGame(state, seams.platform.secondsNow());
    gluLookAt(0.0, 1.5, 15.0, 0.0, 0.5, 0.0, 0.0, 1.0, 0.0);
}

void handleGameKeys(GameState& state) {
    KeyRequests requests = readGameKeys(state);
    if (requests.toggleMusic) toggleMusic(state);
    if (requests.leave) leaveGame(state);
}

void runGameFrame(GameState& state) {
    drainGameEvents(state);
    handleGameKeys(state);
    drawScene(state);

    for (const OverlayText& text : overlayTexts(state)) drawText(text.text.c_str(), text.x, text.y);
    advanceBoard(state);

    glPushMatrix();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawHudLines(hudScoreLines(state));
    advanceGameClock(state);
    drawHudLines(hudClockLines(state));
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
    swapBuffers();
}
