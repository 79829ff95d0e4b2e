// The rules reach the platform through the seam table; the server plays
// replays again, each in a process of its own that sets the clock and the
// generator there.
#include "base/platform.h"

Seams seams{};
