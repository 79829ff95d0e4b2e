#pragma once
#include "web/gl_commands.h"

// While a list is compiled the call is kept in it; true when it must not
// also be carried out now (GL_COMPILE).
bool recordCommand(const GlCommand& command);
// Plays a list back; a list may call lists, as deep as GL allows.
void callDisplayList(GLuint list);
