// glPushAttrib/glPopAttrib for the groups the game saves: what is enabled
// and the texture state.
#include <vector>

#include "web/gl_layer.h"
#include "web/gl_shadow_state.h"
#include "web/gl_real.h"

namespace {
struct SavedAttributes {
    GLbitfield mask;
    ShadowState state;
};

std::vector<SavedAttributes>& attributeStack() {
    static std::vector<SavedAttributes> stack;
    return stack;
}

// GL's least GL_MAX_ATTRIB_STACK_DEPTH.
constexpr size_t kMaxDepth = 16;

void restoreEnables(const ShadowState& saved) {
    ShadowState& now = shadowState();
    // Every cap that was ever set is in one of the two maps.
    std::map<GLenum, bool> caps = now.enabled;
    for (const auto& entry : saved.enabled) caps[entry.first] = entry.second;
    for (const auto& entry : caps) {
        bool wanted = saved.isEnabled(entry.first);
        if (now.isEnabled(entry.first) != wanted) setCapability(entry.first, wanted);
    }
}

void restoreTexture(const ShadowState& saved) {
    ShadowState& now = shadowState();
    setCapability(GL_TEXTURE_2D, saved.isEnabled(GL_TEXTURE_2D));
    now.texture2D = saved.texture2D;
    glBindTexture(GL_TEXTURE_2D, saved.texture2D);
    now.textureEnvMode = saved.textureEnvMode;
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, saved.textureEnvMode);
}
}  // namespace

void quadrunePushAttrib(GLbitfield mask) {
    if (attributeStack().size() >= kMaxDepth) return;
    attributeStack().push_back({mask, shadowState()});
}

void quadrunePopAttrib() {
    std::vector<SavedAttributes>& stack = attributeStack();
    if (stack.empty()) return;
    SavedAttributes saved = stack.back();
    stack.pop_back();
    if (saved.mask & GL_ENABLE_BIT) restoreEnables(saved.state);
    if (saved.mask & GL_TEXTURE_BIT) restoreTexture(saved.state);
}
