#pragma once
// The GL 1.1 the game uses that the browser's GL emulation lacks: display
// lists, selection-mode picking, bitmap text, mipmaps, the view matrices and
// the attribute stack. The game reaches these through the names that
// web/gl_compat.h renames; underneath they call the real GL.
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

// Display lists.
GLuint quadruneGenLists(GLsizei range);
void quadruneNewList(GLuint list, GLenum mode);
void quadruneEndList();
void quadruneCallList(GLuint list);
void quadruneDeleteLists(GLuint list, GLsizei range);
GLboolean quadruneIsList(GLuint list);

// What a list records; outside a list each goes straight on to GL.
void quadruneBegin(GLenum mode);
void quadruneEnd();
void quadruneVertex2i(GLint x, GLint y);
void quadruneVertex2f(GLfloat x, GLfloat y);
void quadruneVertex3f(GLfloat x, GLfloat y, GLfloat z);
void quadruneTexCoord2f(GLfloat s, GLfloat t);
void quadruneColor3f(GLfloat red, GLfloat green, GLfloat blue);
void quadruneColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
void quadruneTranslatef(GLfloat x, GLfloat y, GLfloat z);
void quadruneScalef(GLfloat x, GLfloat y, GLfloat z);
void quadruneRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void quadrunePushMatrix();
void quadrunePopMatrix();
void quadruneEnable(GLenum cap);
void quadruneDisable(GLenum cap);
void quadruneBlendFunc(GLenum source, GLenum destination);
void quadruneBindTexture(GLenum target, GLuint texture);
void quadruneTexEnvi(GLenum target, GLenum name, GLint value);
void quadruneHint(GLenum target, GLenum mode);
void quadruneShadeModel(GLenum mode);
void quadruneViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void quadruneDepthRange(GLclampd near, GLclampd far);

// Selection mode.
void quadruneSelectBuffer(GLsizei size, GLuint* buffer);
GLint quadruneRenderMode(GLenum mode);
void quadruneInitNames();
void quadrunePushName(GLuint name);
void quadrunePopName();
void quadruneLoadName(GLuint name);
void quadrunePickMatrix(GLdouble x, GLdouble y, GLdouble width, GLdouble height, GLint viewport[4]);

// Bitmap text.
void quadruneRasterPos2f(GLfloat x, GLfloat y);
void quadruneRasterPos3f(GLfloat x, GLfloat y, GLfloat z);
void quadruneBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove,
                    const GLubyte* bitmap);
void quadruneBitmapCharacter(void* font, int character);

// The rest.
GLint quadruneBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height, GLenum format,
                             GLenum type, const void* data);
void quadruneLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
                    GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ);
void quadrunePerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void quadrunePushAttrib(GLbitfield mask);
void quadrunePopAttrib();
