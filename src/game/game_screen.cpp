#include "game/game_screen.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <ctime>

#include "base/game_state.h"
#include "base/platform.h"
#include "sound/sound_system.h"
#include "game/board_drawing.h"
#include "game/board_rules.h"
#include "game/game_clock.h"
#include "game/game_hud.h"
#include "game/particle_drawing.h"
#include "render/text_render.h"

namespace {
constexpr int kKeyP = SDLK_p;
constexpr int kKeyM = SDLK_m;

void drainGameEvents(GameState& state) {
    InputEvent event;
    while (readEvent(event)) {
        if (event.kind == InputEvent::KeyDown) {
            setKeyDown(event.symbol, 1);
        } else if (event.kind == InputEvent::KeyUp) {
            setKeyDown(event.symbol, 0);
            state.keyLatch = 0;
        } else if (event.kind == InputEvent::Quit) {
            setKeyDown(kEscapeKey, 1);
        }
    }
}

bool held(const GameState& state, int symbol) { return state.keyDown[symbol] != 0; }

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

// One latched step of the cursor or the swap: acts only on a fresh press,
// but a held key uses up the press whether or not it could act.
template <typename Action>
void latchedKey(GameState& state, int symbol, Action action) {
    if (!held(state, symbol)) return;
    if (state.keyLatch == 0) action();
    state.keyLatch = 1;
}

void handlePlayKeys(GameState& state) {
    latchedKey(state, SDLK_LEFT, [&] {
        if (state.cursorColumn > 0) --state.cursorColumn;
    });
    latchedKey(state, SDLK_RIGHT, [&] {
        if (state.cursorColumn < state.boardColumns - 2) ++state.cursorColumn;
    });
    latchedKey(state, SDLK_UP, [&] {
        if (state.cursorRow > 0) --state.cursorRow;
    });
    latchedKey(state, SDLK_DOWN, [&] {
        if (state.cursorRow < state.boardRows - 1) ++state.cursorRow;
    });
    latchedKey(state, SDLK_SPACE, [&] { startSwap(state.board, state.cursorColumn, state.cursorRow); });
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
    state.pendingDrops = 6;
    state.blocksDestroyed = 0;
    state.paused = 0;
    state.elapsedMs = 0;
    state.lastTick = 0;
    state.timeLeftMs = 50000;
    state.board.flash = 1.0f;
    state.timeUp = false;
    state.keyLatch = 0;
    state.score = 0;
    for (int32_t& count : state.removedByKind) count = 0;

    seedRand(static_cast<unsigned>(std::time(nullptr)));
    scatterBlocks(state.board);
    gluLookAt(0.0, 1.5, 15.0, 0.0, 0.5, 0.0, 0.0, 1.0, 0.0);
    // The cursor keeps its place from the previous game.
}

void handleGameKeys(GameState& state) {
    if (held(state, kKeyP) && state.keyLatch == 0) {
        state.paused = state.paused == 1 ? 0 : 1;
        state.keyLatch = 1;
    }
    if (held(state, kKeyM) && state.keyLatch == 0 && state.paused != 1) {
        state.keyLatch = 1;
        toggleMusic(state);
    }
    if (state.paused != 1) handlePlayKeys(state);
    // Escape leaves in every state, latched or not.
    if (held(state, kEscapeKey)) leaveGame(state);
}

void runGameFrame(GameState& state) {
    drainGameEvents(state);
    handleGameKeys(state);
    drawScene(state);

    if (state.paused == 1) {
        for (const OverlayText& text : overlayTexts(state)) drawText(text.text.c_str(), text.x, text.y);
    } else {
        updateBoard(state.board);
        resolveRuns(state.board);
    }

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
