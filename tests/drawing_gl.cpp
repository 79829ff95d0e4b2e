#include <GL/gl.h>
#include <GL/glu.h>

#include "base/game_state.h"
#include "board_setup.h"
#include "game/board_drawing.h"
#include "gl_fixture.h"
#include "menu/menu_screen.h"
#include "render/scene.h"
#include "render/text_render.h"
#include "scores/highscore_screen.h"
#include "scripted_seams.h"
#include "test_support.h"

// What the board puts on a real GL back buffer, through the game's camera.
namespace {
const Rgb kKinds[7] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};

class BoardDrawing : public GlFixture {
protected:
    void SetUp() override {
        GlFixture::SetUp();
        resetBoard();
        gameState.displayListBase = glGenLists(5);
        buildDisplayLists();
        for (int kind = 1; kind <= 6; ++kind) {  // a plain colour for each kind
            uint8_t rgb[3] = {uint8_t(kKinds[kind].r), uint8_t(kKinds[kind].g), uint8_t(kKinds[kind].b)};
            glGenTextures(1, &gameState.textures[kind]);
            glBindTexture(GL_TEXTURE_2D, gameState.textures[kind]);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        }
        resizeScene(gameState, 640, 480);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glTranslatef(0.0f, -1.2f, -3.1f);  // the game's camera on the board
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
    }
    // Where a point of the scene lands in the window, y from the top.
    static std::pair<int, int> project(float column, float row, float z) {
        GLdouble model[16], projection[16], x, y, depth;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, model);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(column * kCellPitch, (9 - row) * kCellPitch, z, model, projection, viewport, &x, &y, &depth);
        return {int(x), 479 - int(y)};
    }
    static Rgb atCell(float column, float row, float z = 0.1f) {
        auto [x, y] = project(column, row, z);
        return pixelFromTop(x, y);
    }
};
}  // namespace

TEST_F(BoardDrawing, BlocksShowTheirKindsPicturesWhereTheirMovesHaveTakenThem) {
    for (int kind = 1; kind <= 6; ++kind) putBlock(kind - 1, 8, kind);
    putBlock(2, 3, 2);
    cellAt(2, 3).falling = true;
    cellAt(2, 3).fallProgress = 100;  // all the way down to the next cell
    putBlock(2, 1, 1);
    putBlock(3, 1, 3);
    cellAt(2, 1).slidingRight = cellAt(3, 1).slidingLeft = true;
    cellAt(2, 1).slideProgress = cellAt(3, 1).slideProgress = 50;
    drawBoard(gameState.board);
    for (int kind = 1; kind <= 6; ++kind) EXPECT_TRUE(near(atCell(kind - 1, 8), kKinds[kind], 40)) << kind;
    EXPECT_TRUE(near(atCell(2, 4), kKinds[2], 40));
    EXPECT_TRUE(near(atCell(2, 3), {0, 0, 0})) << "a finished fall has left its old cell";
    EXPECT_TRUE(near(atCell(2.5f, 1, 0.4f), kKinds[1], 40)) << "halfway, the block moving right passes in front";
}

// Every screen over the menu's backdrop, with the game's own pictures, as it
// stands when its buffers are swapped.
TEST_F(GlFixture, MenuScreensShowNoWhiteFrame) {
    linkGameData();
    loadScene(gameState, 640, 480);
    buildFontLists();
    const std::pair<const char*, void (*)()> screens[] = {
        {"main", [] { gameState.menuPage = MainMenuPage, runMenuFrame(); }},
        {"options", [] { gameState.menuPage = OptionsPage, runMenuFrame(); }},
        {"highscores", [] { showHighscores(FreePlay, 0); }},
    };
    for (auto [name, draw] : screens) {
        ScriptedPlatform script;
        script.push(SDL_KEYDOWN, SDLK_n);  // one pass; any key closes the highscores
        int white = 0;
        auto count = [&white](int x, int y) { white += near(pixelFromTop(x, y), {255, 255, 255}, 60); };
        script.onSwap = [&] {
            for (int x = 0; x < 640; ++x) count(x, 0), count(x, 479);
            for (int y = 1; y < 479; ++y) count(0, y), count(639, y);
        };
        draw();
        EXPECT_EQ(script.swaps, 1) << name;
        EXPECT_EQ(white, 0) << name << ": white pixels on the window's edges";
    }
}
