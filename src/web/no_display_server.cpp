// The browser has no X connection that could go away: the handler that
// saves the scores when it does is kept and never called.
#include <X11/Xlib.h>

XIOErrorHandler XSetIOErrorHandler(XIOErrorHandler handler) { return handler; }
