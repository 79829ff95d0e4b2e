// The rules reach the platform through the seam table; the server plays
// replays again, which set the clock and the generator on each thread.
#include "base/platform.h"

thread_local Seams seams{};
