// Loaded into the real game with LD_PRELOAD: the wall clock starts at
// QUADRUNE_CLOCK (seconds since 1970) and runs on from there, so a test can
// play on any day and at any hour of it.
#include <cstdlib>
#include <ctime>

#include <dlfcn.h>

extern "C" time_t time(time_t* out) {
    using Real = time_t (*)(time_t*);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "time"));
    static const time_t first = real(nullptr);
    static const char* start = std::getenv("QUADRUNE_CLOCK");
    time_t now = real(nullptr);
    if (start) now = time_t(std::strtoll(start, nullptr, 10)) + (now - first);
    if (out) *out = now;
    return now;
}
