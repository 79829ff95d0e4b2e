#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "rules/seams.h"
#include "rules/replay_file.h"
#include "rules/replay_check.h"

Seams seams{};

// Any bytes: the reader refuses them or hands back a replay that encodes
// to the very same bytes, and playing it again ends with a verdict, never
// a crash or a hang.
namespace {
void readAndPlay(const unsigned char* data, size_t size) {
    Replay replay;
    std::string why;
    if (!decodeReplay(data, size, replay, why)) {
        if (why.empty()) std::abort();
        return;
    }
    ReplayVerdict verdict = checkReplay(replay);
    if (!verdict.matches && verdict.why.empty()) std::abort();
    if (verdict.frames > replay.frames.size()) std::abort();
}
}  // namespace

// As they come, and again with the checksum made to fit, so that the
// mutations reach past it into the frames.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    readAndPlay(data, size);
    if (size < 8) return 0;
    std::vector<unsigned char> fitted(data, data + size);
    uint32_t crc = uint32_t(crc32(0, fitted.data(), uInt(size - 4)));
    for (int i = 0; i < 4; ++i) fitted[size - 4 + i] = uint8_t(crc >> (8 * i));
    readAndPlay(fitted.data(), size);
    return 0;
}
