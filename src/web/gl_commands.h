#pragma once
// One GL call as a display list keeps it.
#include <GL/gl.h>

enum class GlOp {
    Begin, End, Vertex, TexCoord, Color, Translate, Scale, Rotate, PushMatrix, PopMatrix,
    Enable, Disable, BlendFunc, BindTexture, TexEnvi, CallList, LoadName, PushName, PopName
};

struct GlCommand {
    GlOp op;
    GLenum first = 0, second = 0;
    GLint integer = 0;
    GLfloat values[4] = {0, 0, 0, 0};
};

// Carries the call out now: in selection mode a primitive's vertices go to
// the hit test instead of the screen.
void executeCommand(const GlCommand& command);
