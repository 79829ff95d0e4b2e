#include "web/gl_shadow_state.h"

#include "web/gl_layer.h"
#include "web/gl_real.h"

bool ShadowState::isEnabled(GLenum cap) const {
    auto found = enabled.find(cap);
    return found != enabled.end() && found->second;
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
