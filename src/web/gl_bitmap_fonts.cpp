#include "web/gl_bitmap_fonts.h"

#include "web/gl_layer.h"
#include "web/gl_real.h"

#ifdef __EMSCRIPTEN__
// freeglut's ids are the addresses of these; the browser's GLUT has none.
extern "C" {
void* glutBitmap9By15;
void* glutBitmap8By13;
void* glutBitmapTimesRoman10;
void* glutBitmapTimesRoman24;
void* glutBitmapHelvetica10;
void* glutBitmapHelvetica12;
void* glutBitmapHelvetica18;
}
#endif

const SFG_Font* bitmapFont(void* id) {
    if (id == GLUT_BITMAP_8_BY_13) return &fgFontFixed8x13;
    if (id == GLUT_BITMAP_9_BY_15) return &fgFontFixed9x15;
    if (id == GLUT_BITMAP_HELVETICA_10) return &fgFontHelvetica10;
    if (id == GLUT_BITMAP_HELVETICA_12) return &fgFontHelvetica12;
    if (id == GLUT_BITMAP_HELVETICA_18) return &fgFontHelvetica18;
    if (id == GLUT_BITMAP_TIMES_ROMAN_10) return &fgFontTimesRoman10;
    if (id == GLUT_BITMAP_TIMES_ROMAN_24) return &fgFontTimesRoman24;
    return nullptr;
}
