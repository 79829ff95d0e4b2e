#include "web/gl_commands.h"

#include "web/gl_display_lists.h"
#include "web/gl_layer.h"
#include "web/gl_selection.h"
#include "web/gl_shadow_state.h"
#include "web/gl_real.h"

namespace {
void executeVertex(const GLfloat* v) {
    if (selecting())
        selectionVertex(v[0], v[1], v[2], v[3]);
    else
        glVertex4f(v[0], v[1], v[2], v[3]);
}

void executeColor(const GLfloat* v) {
    ShadowState& state = shadowState();
    for (int i = 0; i < 4; ++i) state.color[i] = v[i];
    glColor4f(v[0], v[1], v[2], v[3]);
}

void executeBindTexture(GLenum target, GLuint texture) {
    if (target == GL_TEXTURE_2D) shadowState().texture2D = texture;
    glBindTexture(target, texture);
}

void executeTexEnvi(GLenum target, GLenum name, GLint value) {
    if (target == GL_TEXTURE_ENV && name == GL_TEXTURE_ENV_MODE) shadowState().textureEnvMode = value;
    glTexEnvi(target, name, value);
}

// Calls that only change state or matrices; selection mode needs them too.
void executeState(const GlCommand& c) {
    const GLfloat* v = c.values;
    switch (c.op) {
        case GlOp::Translate: glTranslatef(v[0], v[1], v[2]); break;
        case GlOp::Scale: glScalef(v[0], v[1], v[2]); break;
        case GlOp::Rotate: glRotatef(v[0], v[1], v[2], v[3]); break;
        case GlOp::PushMatrix: glPushMatrix(); break;
        case GlOp::PopMatrix: glPopMatrix(); break;
        case GlOp::Enable: setCapability(c.first, true); break;
        case GlOp::Disable: setCapability(c.first, false); break;
        case GlOp::BlendFunc: glBlendFunc(c.first, c.second); break;
        case GlOp::BindTexture: executeBindTexture(c.first, static_cast<GLuint>(c.integer)); break;
        case GlOp::TexEnvi: executeTexEnvi(c.first, c.second, c.integer); break;
        case GlOp::CallList: callDisplayList(static_cast<GLuint>(c.integer)); break;
        case GlOp::LoadName: loadSelectionName(static_cast<GLuint>(c.integer)); break;
        case GlOp::PushName: pushSelectionName(static_cast<GLuint>(c.integer)); break;
        case GlOp::PopName: popSelectionName(); break;
        default: break;
    }
}

void issue(const GlCommand& command) {
    if (!recordCommand(command)) executeCommand(command);
}

GlCommand withValues(GlOp op, GLfloat a, GLfloat b, GLfloat c, GLfloat d) {
    GlCommand command{op};
    command.values[0] = a, command.values[1] = b, command.values[2] = c, command.values[3] = d;
    return command;
}

GlCommand withEnums(GlOp op, GLenum first, GLenum second = 0, GLint integer = 0) {
    GlCommand command{op};
    command.first = first, command.second = second, command.integer = integer;
    return command;
}
}  // namespace

void executeCommand(const GlCommand& c) {
    switch (c.op) {
        case GlOp::Begin:
            if (selecting())
                selectionBegin(c.first);
            else
                glBegin(c.first);
            break;
        case GlOp::End:
            if (selecting())
                selectionEnd();
            else
                glEnd();
            break;
        case GlOp::Vertex: executeVertex(c.values); break;
        case GlOp::TexCoord: glTexCoord2f(c.values[0], c.values[1]); break;
        case GlOp::Color: executeColor(c.values); break;
        default: executeState(c); break;
    }
}

void quadruneBegin(GLenum mode) { issue(withEnums(GlOp::Begin, mode)); }
void quadruneEnd() { issue(GlCommand{GlOp::End}); }
void quadruneVertex2i(GLint x, GLint y) { quadruneVertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), 0); }
void quadruneVertex2f(GLfloat x, GLfloat y) { quadruneVertex3f(x, y, 0); }
void quadruneVertex3f(GLfloat x, GLfloat y, GLfloat z) { issue(withValues(GlOp::Vertex, x, y, z, 1)); }
void quadruneTexCoord2f(GLfloat s, GLfloat t) { issue(withValues(GlOp::TexCoord, s, t, 0, 1)); }
void quadruneColor3f(GLfloat red, GLfloat green, GLfloat blue) { quadruneColor4f(red, green, blue, 1); }
void quadruneColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    issue(withValues(GlOp::Color, red, green, blue, alpha));
}
void quadruneTranslatef(GLfloat x, GLfloat y, GLfloat z) { issue(withValues(GlOp::Translate, x, y, z, 0)); }
void quadruneScalef(GLfloat x, GLfloat y, GLfloat z) { issue(withValues(GlOp::Scale, x, y, z, 0)); }
void quadruneRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    issue(withValues(GlOp::Rotate, angle, x, y, z));
}
void quadrunePushMatrix() { issue(GlCommand{GlOp::PushMatrix}); }
void quadrunePopMatrix() { issue(GlCommand{GlOp::PopMatrix}); }
void quadruneEnable(GLenum cap) { issue(withEnums(GlOp::Enable, cap)); }
void quadruneDisable(GLenum cap) { issue(withEnums(GlOp::Disable, cap)); }
void quadruneBlendFunc(GLenum source, GLenum destination) { issue(withEnums(GlOp::BlendFunc, source, destination)); }
void quadruneBindTexture(GLenum target, GLuint texture) {
    issue(withEnums(GlOp::BindTexture, target, 0, static_cast<GLint>(texture)));
}
void quadruneTexEnvi(GLenum target, GLenum name, GLint value) { issue(withEnums(GlOp::TexEnvi, target, name, value)); }

void quadruneLoadName(GLuint name) { issue(withEnums(GlOp::LoadName, 0, 0, static_cast<GLint>(name))); }
void quadrunePushName(GLuint name) { issue(withEnums(GlOp::PushName, 0, 0, static_cast<GLint>(name))); }
void quadrunePopName() { issue(GlCommand{GlOp::PopName}); }

void quadruneHint(GLenum target, GLenum mode) {
#ifdef __EMSCRIPTEN__
    // Shaders always interpolate in perspective; WebGL refuses the enum.
    if (target == GL_PERSPECTIVE_CORRECTION_HINT) return;
#endif
    glHint(target, mode);
}

void quadruneShadeModel(GLenum mode) {
#ifdef __EMSCRIPTEN__
    // The emulation's shaders always shade smoothly, and it warns at the call.
    if (mode == GL_SMOOTH) return;
#endif
    glShadeModel(mode);
}
