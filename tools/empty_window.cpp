// The floor under the game's start-up time: the same kind of SDL window and
// OpenGL context, cleared to red and shown, and nothing else. tools/measure.sh
// times it beside the game. It redraws on every event, as the menu does, and
// ends on a close request (SIGTERM included) or a key.
#include <GL/gl.h>
#include <SDL.h>

namespace {
void drawFrame() {
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
}
}  // namespace

int main(int, char**) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    if (!SDL_SetVideoMode(640, 480, 0, SDL_OPENGL)) return 1;
    SDL_WM_SetCaption("Quadrune empty window", "Quadrune");
    drawFrame();
    SDL_Event event;
    while (SDL_WaitEvent(&event) && event.type != SDL_QUIT && event.type != SDL_KEYDOWN) drawFrame();
    SDL_Quit();
    return 0;
}
