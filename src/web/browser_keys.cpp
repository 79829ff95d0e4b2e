#include "web/browser_keys.h"

namespace {
constexpr int32_t kNoCharacter = 1 << 10;

struct ScanKey {
    int scanCode;
    int sdl12;
};
// SDL's scan codes and SDL 1.2's symbols of the keys that carry no character.
constexpr ScanKey kScanKeys[] = {
    {57, 301},  {58, 282},  {59, 283},  {60, 284},  {61, 285},  {62, 286},  {63, 287},  {64, 288},
    {65, 289},  {66, 290},  {67, 291},  {68, 292},  {69, 293},  {104, 294}, {105, 295}, {106, 296},
    {73, 277},  {74, 278},  {75, 280},  {77, 279},  {78, 281},  {79, 275},  {80, 276},  {81, 274},
    {82, 273},  {83, 300},  {84, 267},  {85, 268},  {86, 269},  {87, 270},  {89, 257},  {90, 258},
    {91, 259},  {92, 260},  {93, 261},  {94, 262},  {95, 263},  {96, 264},  {97, 265},  {98, 256},
    {99, 266},  {101, 319}, {224, 306}, {225, 304}, {226, 308}, {227, 310}, {228, 305}, {229, 303},
    {230, 307}, {231, 309},
};
}  // namespace

int sdl12KeyOf(int32_t browserKey) {
    if (browserKey == 316) return 316;  // print screen, numbered alike
    if (browserKey >= 0 && browserKey < 256) return browserKey;
    if ((browserKey & kNoCharacter) == 0) return 0;
    int scanCode = browserKey & ~kNoCharacter;
    for (const ScanKey& key : kScanKeys)
        if (key.scanCode == scanCode) return key.sdl12;
    return 0;
}
