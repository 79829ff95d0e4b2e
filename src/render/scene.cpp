// Stand-in until the scene loader lands.
#include "render/scene.h"

#include <GL/gl.h>

#include "app/game_state.h"

const char* const kTextureFiles[21] = {
    "data/pics/palikka1.png",     "data/pics/palikka2.png",     "data/pics/palikka3.png",
    "data/pics/palikka4.png",     "data/pics/palikka5.png",     "data/pics/palikka6.png",
    "data/pics/game.png",         "data/pics/glow1.png",        "data/pics/glow2.png",
    "data/pics/glow3.png",        "data/pics/glow4.png",        "data/pics/menu_background.png",
    "data/pics/menu_exit.png",    "data/pics/menu_exit_mask.png", "data/pics/menu_logo.png",
    "data/pics/menu_logo_mask.png", "data/pics/menu_options.png", "data/pics/menu_options_mask.png",
    "data/pics/menu_play.png",    "data/pics/menu_play_mask.png", "data/pics/menufont.png",
};

void resizeScene(GameState& state, int32_t width, int32_t height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    state.windowWidth = width;
    state.windowHeight = height;
}

void loadScene(GameState&, int32_t, int32_t) {}
void buildDisplayLists() {}
