#pragma once
// Emscripten ships freeglut's standard header alone; the game asks for it by
// freeglut's full name.
#include <GL/glut.h>
