#ifndef QUADRUNE_GL_FREEGLUT_FONT_H
#define QUADRUNE_GL_FREEGLUT_FONT_H
/* freeglut's bitmap font record. Force-included into freeglut's own font
   data file (fg_font_data.c, compiled from Debian's source package), it
   stands in for freeglut's private header, whose guard it sets. */
#include <GL/gl.h>

#define FREEGLUT_INTERNAL_H 1

#ifdef __cplusplus
extern "C" {
#endif
typedef struct tagSFG_Font {
    char* Name;
    int Quantity;
    int Height;
    const GLubyte** Characters;  /* [0] the advance, then the rows, bottom first */
    float xorig, yorig;
} SFG_Font;

extern SFG_Font fgFontFixed8x13, fgFontFixed9x15, fgFontHelvetica10, fgFontHelvetica12, fgFontHelvetica18,
    fgFontTimesRoman10, fgFontTimesRoman24;
#ifdef __cplusplus
}
#endif
#endif
