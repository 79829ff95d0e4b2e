#include "web/gl_shadow_state.h"

#include "web/gl_layer.h"
#include "web/gl_real.h"

bool ShadowState::isEnabled(GLenum cap) const {
    auto found = enabled.find(cap);
    return found != enabled.end() && found->second;
}

const GLint* ShadowState::viewport() {
    if (!viewportKnown_) glGetIntegerv(GL_VIEWPORT, viewport_);
    viewportKnown_ = true;
    return viewport_;
}

ShadowState& shadowState() {
    static ShadowState state;
    return state;
}

void setCapability(GLenum cap, bool on) {
    shadowState().enabled[cap] = on;
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

void quadruneViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    ShadowState& state = shadowState();
    state.viewport_[0] = x, state.viewport_[1] = y, state.viewport_[2] = width, state.viewport_[3] = height;
    state.viewportKnown_ = true;
    glViewport(x, y, width, height);
}

void quadruneDepthRange(GLclampd near, GLclampd far) {
    // GL clamps both ends to [0, 1].
    auto clamped = [](GLclampd v) { return static_cast<GLfloat>(v < 0 ? 0 : v > 1 ? 1 : v); };
    shadowState().depthRange[0] = clamped(near);
    shadowState().depthRange[1] = clamped(far);
    glDepthRange(near, far);
}
