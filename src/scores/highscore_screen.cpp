#include "scores/highscore_screen.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cctype>
#include <cstdio>

#include "rules/config_file.h"
#include "rules/game_state.h"
#include "rules/pad_buttons.h"
#include "rules/seams.h"
#include "menu/menu_drawing.h"
#include "render/text_render.h"
#include "scores/highscore_table.h"

namespace {
constexpr int kYKey = SDLK_y;

// The 100 MOVES table has no title of its own.
const char* modeTitle(int mode) { return mode == HundredMoves ? nullptr : gameModeName(mode); }

// The menu's background, drawn the same way under the table.
void drawBackground() {
    glMatrixMode(GL_MODELVIEW);
    glClearColor(1, 1, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawMenuBackground();
}

struct ScreenKeys {
    bool pressed = false;
    bool send = false;
};

void handleEvents(ScreenKeys& keys) {
    InputEvent event;
    while (readEvent(event)) {
        if (event.kind == InputEvent::KeyDown) {
            keys.pressed = true;
            setKeyDown(event.symbol, 1);
            if (event.symbol == kYKey) keys.send = true;
        } else if (event.kind == InputEvent::KeyUp) {
            setKeyDown(event.symbol, 0);
        } else if (event.kind == InputEvent::Quit) {
            setKeyDown(kEscapeKey, 1);  // seen by the caller as Escape held
        } else if (event.kind == InputEvent::ButtonDown) {
            // South answers yes; any other button no.
            keys.pressed = true;
            keys.send = keys.send || event.symbol == kPadSouth;
        }
    }
}

void addRows(std::vector<ScreenText>& texts, int mode, int markedRow) {
    const HighscoreTable& table = gameState.highscores.tables[modeFacts(mode)->table];
    for (int i = 0; i < kHighscoreRows; ++i) {
        const HighscoreEntry& row = table.rows[i];
        int y = 130 + 27 * i;
        if (i == markedRow) texts.push_back({">", 0, y});
        // A damaged file may leave the name field without its zero byte.
        char name[sizeof row.name + 1];
        copyNameField(row.name, sizeof row.name, name, sizeof name);
        texts.push_back({name, 10, y});
        texts.push_back({highscoreScoreText(row.score), 269, y});
        texts.push_back({highscoreTimeText(mode, row.time), 500, y});
    }
}
}  // namespace

std::string highscoreScoreText(uint32_t score) {
    char text[16];
    std::snprintf(text, sizeof text, "%.7u", score);
    return text;
}

std::string highscoreTimeText(int mode, uint32_t storedTime) {
    char text[16];
    if (mode == TimeAttack)
        std::snprintf(text, sizeof text, "%.3u", static_cast<unsigned>(storedTime / 1000.0));
    else
        std::snprintf(text, sizeof text, "%.4u", storedTime);
    return text;
}

std::string highscorePromptLine(const char* domain) {
    std::string line;
    for (const char* c = domain; *c; ++c) line += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    return line + "? Y/N";
}

std::vector<ScreenText> highscoreScreenTexts(int mode, int markedRow) {
    std::vector<ScreenText> texts;
    texts.push_back({"HIGHSCORES", 230, 20});
    if (const char* title = modeTitle(mode)) texts.push_back({title, 230, 50});
    texts.push_back({"PLAYER   SCORE  TIME", 10, 100});
    if (const ModeFacts* facts = modeFacts(mode); facts && facts->table >= 0) addRows(texts, mode, markedRow);
    texts.push_back({"SEND SCORE TO", 100, 420});
    texts.push_back({highscorePromptLine(seams.upload.domain()), 100, 450});
    return texts;
}

void showHighscores(int mode, int markedRow) {
    // The table does not change while the screen is up.
    const std::vector<ScreenText> texts = highscoreScreenTexts(mode, markedRow);
    ScreenKeys keys;
    do {
        drawBackground();
        handleEvents(keys);
        for (const ScreenText& t : texts) drawText(t.text.c_str(), t.x, t.y);
        swapBuffers();
        delayMs(100);
    } while (!keys.pressed);
    saveHighscores();
    if (keys.send) seams.upload.submit(QUADRUNE_SCORE_HOST, kScoreServerPort);
}
