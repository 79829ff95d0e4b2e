#pragma once
#include <GL/gl.h>

// True while glRenderMode(GL_SELECT) is in force: primitives are hit-tested
// against the view volume instead of drawn.
bool selecting();
void selectionBegin(GLenum mode);
void selectionVertex(GLfloat x, GLfloat y, GLfloat z, GLfloat w);
void selectionEnd();
// The name stack; outside selection mode GL ignores it.
void loadSelectionName(GLuint name);
void pushSelectionName(GLuint name);
void popSelectionName();
