// The rules reach the platform through the seam table; the server's one
// verifier sets the clock and the generator there while it plays a replay.
#include "rules/seams.h"

Seams seams{};
