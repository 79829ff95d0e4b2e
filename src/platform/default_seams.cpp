// The real platform behind the seam table. It is filled here, on the top
// floor, because the sound device and the upload live above the table.
#include "rules/seams.h"
#include "render/text_render.h"
#include "scores/score_submit.h"
#include "sound/sound_system.h"

Seams seams = {defaultPlatformHooks(), deviceSoundApi(), {submitScore, drawText, builtInScoreDomain}};
