// Built only while src/web/gl_compat.h is absent: stand-ins for the GL 1.1
// calls emscripten's emulation lacks. They draw nothing and pick nothing,
// so the rest of the game can run in the browser until the layer lands.
#include <GL/gl.h>
#include <GL/glu.h>

void* glutBitmapHelvetica12 = nullptr;

extern "C" {
void glutBitmapCharacter(void*, int) {}
void glRasterPos2f(GLfloat, GLfloat) {}
GLuint glGenLists(GLsizei) { return 1; }
void glNewList(GLuint, GLenum) {}
void glEndList() {}
void glCallList(GLuint) {}
void glPushAttrib(GLbitfield) {}
void glPopAttrib() {}
void glSelectBuffer(GLsizei, GLuint*) {}
GLint glRenderMode(GLenum) { return 0; }
void glInitNames() {}
void glPushName(GLuint) {}
void glLoadName(GLuint) {}
void gluPickMatrix(GLdouble, GLdouble, GLdouble, GLdouble, GLint*) {}
GLint gluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format, GLenum type,
                        const void* data) {
    // WebGL knows internal formats by name only, not GL 1.1's component counts.
    GLint internal = static_cast<GLint>(format);
    (void)components;
    glTexImage2D(target, 0, internal, width, height, 0, format, type, data);
    return 0;
}
}
