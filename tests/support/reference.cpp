#include "reference.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace {
constexpr int kSoundRate = 44100;

bool remaking() {
    const char* value = std::getenv("QUADRUNE_REMAKE_REFERENCES");
    return value && std::string(value) == "1";
}

std::string referencePath(const std::string& kind, const std::string& name, const std::string& suffix) {
    return std::string(QUADRUNE_SOURCE_DIR) + "/tests/reference/" + kind + "/" + name + suffix;
}

int channelDistance(const uint8_t* a, const uint8_t* b) {
    int worst = 0;
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(a[c]) - int(b[c])));
    return worst;
}

// The reference dimmed, with every changed pixel in red.
Shot differencePicture(const Shot& got, const Shot& want) {
    Shot diff = want;
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x) {
            uint8_t* p = diff.at(x, y);
            bool changed = channelDistance(got.at(x, y), want.at(x, y)) > kPixelTolerance;
            for (int c = 0; c < 3; ++c) p[c] = changed ? (c == 0 ? 255 : 0) : p[c] / 4;
        }
    return diff;
}

// Three low bits dropped: far within the tolerance, and a third the size.
Shot storedReference(Shot shot) {
    for (uint8_t& value : shot.rgb) value = static_cast<uint8_t>((value & ~7) | 4);
    return shot;
}

bool writeFlac(const std::string& path, const std::vector<int16_t>& stereo) {
    SF_INFO info{0, kSoundRate, 2, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    sf_count_t frames = static_cast<sf_count_t>(stereo.size() / 2);
    bool whole = sf_writef_short(file, stereo.data(), frames) == frames;
    return sf_close(file) == 0 && whole;
}

bool readFlac(const std::string& path, std::vector<int16_t>& stereo) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return false;
    stereo.assign(static_cast<size_t>(info.frames) * 2, 0);
    bool whole = info.channels == 2 && sf_readf_short(file, stereo.data(), info.frames) == info.frames;
    sf_close(file);
    return whole;
}
}  // namespace

::testing::AssertionResult matchesReferencePicture(const Shot& got, const std::string& name) {
    const std::string path = referencePath("pictures", name, ".png");
    if (remaking()) {
        if (writePngFile(path, storedReference(got))) return ::testing::AssertionSuccess() << "remade " << path;
        return ::testing::AssertionFailure() << "cannot write " << path;
    }
    Shot want;
    if (!readPngFile(path, want)) return ::testing::AssertionFailure() << "no reference picture " << path;
    if (want.width != got.width || want.height != got.height) {
        writePngFile(referencePath("pictures", name, ".got.png"), got);
        return ::testing::AssertionFailure() << name << ": " << got.width << "x" << got.height << " against a "
                                             << want.width << "x" << want.height << " reference";
    }
    int changed = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            if (channelDistance(got.at(x, y), want.at(x, y)) > kPixelTolerance && changed++ == 0) firstX = x, firstY = y;
    if (changed <= kChangedPixelsAllowed) {
        fs::remove(referencePath("pictures", name, ".got.png"));
        fs::remove(referencePath("pictures", name, ".diff.png"));
        return ::testing::AssertionSuccess();
    }
    writePngFile(referencePath("pictures", name, ".got.png"), got);
    writePngFile(referencePath("pictures", name, ".diff.png"), differencePicture(got, want));
    return ::testing::AssertionFailure() << name << ": " << changed << " pixels changed, the first at (" << firstX
                                         << ", " << firstY << "); see " << referencePath("pictures", name, ".got.png")
                                         << " and .diff.png";
}

::testing::AssertionResult matchesReferenceSound(const std::vector<int16_t>& got, const std::string& name) {
    const std::string path = referencePath("sounds", name, ".flac");
    if (remaking()) {
        if (writeFlac(path, got)) return ::testing::AssertionSuccess() << "remade " << path;
        return ::testing::AssertionFailure() << "cannot write " << path;
    }
    std::vector<int16_t> want;
    if (!readFlac(path, want)) return ::testing::AssertionFailure() << "no reference sound " << path;
    size_t worstAt = 0;
    int worst = 0;
    for (size_t i = 0; i < std::min(got.size(), want.size()); ++i) {
        int off = std::abs(int(got[i]) - int(want[i]));
        if (off > worst) worst = off, worstAt = i;
    }
    const std::string gotPath = referencePath("sounds", name, ".got.flac");
    if (got.size() == want.size() && worst <= kSampleTolerance) {
        fs::remove(gotPath);
        return ::testing::AssertionSuccess();
    }
    writeFlac(gotPath, got);
    std::ostringstream why;
    why << name << ": " << got.size() / 2 << " frames against " << want.size() / 2 << ", worst sample off by "
        << worst << " at " << (worstAt / 2) * 1000.0 / kSoundRate << " ms (channel " << worstAt % 2 << "); see " << gotPath;
    return ::testing::AssertionFailure() << why.str();
}
