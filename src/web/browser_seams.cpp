// The browser's platform behind the seam table, as default_seams.cpp fills
// the native one.
#include "render/text_render.h"
#include "rules/seams.h"
#include "scores/score_submit.h"
#include "web/browser_platform.h"
#include "web/browser_sound.h"

Seams seams = {browserPlatformHooks(), browserSoundApi(), {submitScore, drawText, pageHostName}};
