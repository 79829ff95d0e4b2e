#pragma once
// The state the layer must read back but the browser's GL emulation cannot
// report (glIsEnabled(GL_TEXTURE_2D), the current colour): kept as it passes.
#include <GL/gl.h>

#include <map>

struct ShadowState {
    std::map<GLenum, bool> enabled;  // absent: GL's default, off
    GLuint texture2D = 0;
    GLint textureEnvMode = GL_MODULATE;
    GLfloat color[4] = {1, 1, 1, 1};
    bool isEnabled(GLenum cap) const;
};

ShadowState& shadowState();
// Sets the real GL and the shadow together.
void setCapability(GLenum cap, bool on);
