#pragma once
// Force-included into every game source of the web build: the GL entry
// points the browser's GL emulation lacks or gets wrong are renamed onto
// the layer in web/gl_layer.h. The layer's own sources undo the renaming
// (web/gl_real.h) to reach the real GL.
#ifdef __cplusplus
#include "web/gl_layer.h"

#define glGenLists quadruneGenLists
#define glNewList quadruneNewList
#define glEndList quadruneEndList
#define glCallList quadruneCallList
#define glDeleteLists quadruneDeleteLists
#define glIsList quadruneIsList
#define glBegin quadruneBegin
#define glEnd quadruneEnd
#define glVertex2i quadruneVertex2i
#define glVertex2f quadruneVertex2f
#define glVertex3f quadruneVertex3f
#define glTexCoord2f quadruneTexCoord2f
#define glColor3f quadruneColor3f
#define glColor4f quadruneColor4f
#define glTranslatef quadruneTranslatef
#define glScalef quadruneScalef
#define glRotatef quadruneRotatef
#define glPushMatrix quadrunePushMatrix
#define glPopMatrix quadrunePopMatrix
#define glEnable quadruneEnable
#define glDisable quadruneDisable
#define glBlendFunc quadruneBlendFunc
#define glBindTexture quadruneBindTexture
#define glTexEnvi quadruneTexEnvi
#define glHint quadruneHint
#define glShadeModel quadruneShadeModel
#define glSelectBuffer quadruneSelectBuffer
#define glRenderMode quadruneRenderMode
#define glInitNames quadruneInitNames
#define glPushName quadrunePushName
#define glPopName quadrunePopName
#define glLoadName quadruneLoadName
#define gluPickMatrix quadrunePickMatrix
#define glRasterPos2f quadruneRasterPos2f
#define glRasterPos3f quadruneRasterPos3f
#define glBitmap quadruneBitmap
#define glutBitmapCharacter quadruneBitmapCharacter
#define gluBuild2DMipmaps quadruneBuild2DMipmaps
#define gluLookAt quadruneLookAt
#define gluPerspective quadrunePerspective
#define glPushAttrib quadrunePushAttrib
#define glPopAttrib quadrunePopAttrib
#define glViewport quadruneViewport
#define glDepthRange quadruneDepthRange
#endif
