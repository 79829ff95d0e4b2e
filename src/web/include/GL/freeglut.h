#pragma once
// Emscripten ships freeglut's standard header only; the game and freeglut's
// font data ask for the full one.
#include <GL/glut.h>
