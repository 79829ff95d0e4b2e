#pragma once
// The state the layer must read back but the browser's GL emulation cannot
// report (glIsEnabled(GL_TEXTURE_2D), the current colour), or reports only
// by a round trip to the GPU process that costs a frame's time in a few
// dozen calls (the viewport, the depth range): kept as it passes.
#include <GL/gl.h>

#include <map>

struct ShadowState {
    std::map<GLenum, bool> enabled;  // absent: GL's default, off
    GLuint texture2D = 0;
    GLint textureEnvMode = GL_MODULATE;
    GLfloat color[4] = {1, 1, 1, 1};
    GLfloat depthRange[2] = {0, 1};
    bool isEnabled(GLenum cap) const;
    // Asked of GL once, before the first glViewport.
    const GLint* viewport();

private:
    GLint viewport_[4] = {0, 0, 0, 0};
    bool viewportKnown_ = false;
    friend void quadruneViewport(GLint, GLint, GLsizei, GLsizei);
};

ShadowState& shadowState();
// Sets the real GL and the shadow together.
void setCapability(GLenum cap, bool on);
