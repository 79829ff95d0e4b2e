#pragma once
#include "web/gl_freeglut_font.h"

// freeglut's font behind a GLUT_BITMAP_* id, or null.
const SFG_Font* bitmapFont(void* id);
