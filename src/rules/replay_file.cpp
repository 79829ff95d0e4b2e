#include "rules/replay_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>

#include "rules/file_util.h"

namespace {
constexpr char kMagic[4] = {'Q', 'R', 'P', 'L'};
constexpr size_t kHeaderBytes = 148;
// Magic, two versions, mode and seed; the row; frames, first tick and packed length.
static_assert(kHeaderBytes == 4 + 2 + 2 + 4 + 4 + sizeof(HighscoreEntry) + 4 + 4 + 4, "the README's replay header");
constexpr size_t kCrcBytes = 4;

bool carriesSymbol(InputEvent::Kind kind) {
    return kind == InputEvent::KeyDown || kind == InputEvent::KeyUp || kind == InputEvent::ButtonDown ||
           kind == InputEvent::ButtonUp;
}
// Deflate can grow a megabyte into a gigabyte; no honest replay inflates past this.
constexpr size_t kMaxInflatedBytes = 24u << 20;

void put16(std::vector<uint8_t>& out, uint16_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void put32(std::vector<uint8_t>& out, uint32_t v) {
    out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}
uint16_t get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t get32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

void putVarint(std::vector<uint8_t>& out, uint32_t v) {
    for (; v >= 0x80; v >>= 7) out.push_back(uint8_t(v | 0x80));
    out.push_back(uint8_t(v));
}
// Small differences either way take one byte.
uint32_t zigzag(int32_t v) { return (uint32_t(v) << 1) ^ uint32_t(v >> 31); }
int32_t unzigzag(uint32_t v) { return int32_t(v >> 1) ^ -int32_t(v & 1); }

// Reads the inflated columns; every read is checked against the end.
struct Cursor {
    const uint8_t* at;
    const uint8_t* end;
    bool ok = true;
    uint32_t varint() {
        uint32_t v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            if (at == end) return ok = false, 0;
            uint8_t b = *at++;
            v |= uint32_t(b & 0x7F) << shift;
            if (!(b & 0x80)) return v;
        }
        return ok = false, 0;
    }
    uint8_t byte() { return at == end ? (ok = false, 0) : *at++; }
};

std::vector<uint8_t> columns(const Replay& replay, uint32_t firstTick) {
    const ReplayFrames& f = replay.frames;
    std::vector<uint8_t> out;
    putVarint(out, zigzag(replay.startColumn));
    putVarint(out, zigzag(replay.startRow));
    putVarint(out, uint32_t(replay.heldKeys.size()));
    for (int key : replay.heldKeys) putVarint(out, zigzag(key));
    out.insert(out.end(), f.tickCounts.begin(), f.tickCounts.end());
    for (uint16_t count : f.eventCounts) putVarint(out, count);
    // A pass begins about 50 ms after the one before, and a frame's later
    // readings follow its first closely: kept apart, both columns pack tight.
    uint32_t previousStart = firstTick;
    for (size_t frame = 0, at = 0; frame < f.size(); at += f.tickCounts[frame++])
        putVarint(out, zigzag(int32_t(f.ticks[at] - previousStart))), previousStart = f.ticks[at];
    for (size_t frame = 0, at = 0; frame < f.size(); at += f.tickCounts[frame++])
        for (size_t i = 1; i < f.tickCounts[frame]; ++i) putVarint(out, zigzag(int32_t(f.ticks[at + i] - f.ticks[at + i - 1])));
    for (const InputEvent& e : f.events) {
        out.push_back(uint8_t(e.kind));
        if (carriesSymbol(e.kind)) putVarint(out, zigzag(e.symbol));
    }
    return out;
}

bool inflateAll(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return false;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    int status = Z_OK;
    while (status == Z_OK && out.size() < kMaxInflatedBytes) {
        size_t done = out.size();
        out.resize(std::min(kMaxInflatedBytes, done + 65536));
        z.next_out = out.data() + done;
        z.avail_out = static_cast<uInt>(out.size() - done);
        status = inflate(&z, Z_NO_FLUSH);
        out.resize(out.size() - z.avail_out);
        if (status == Z_BUF_ERROR && z.avail_in == 0) break;
    }
    bool whole = status == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    return whole;
}

bool readColumns(Cursor& c, uint32_t frameCount, uint32_t firstTick, ReplayFrames& f, std::string& why) {
    f.tickCounts.assign(c.at, c.at + std::min<size_t>(frameCount, c.end - c.at));
    c.at += f.tickCounts.size();
    size_t ticks = 0, events = 0;
    for (uint8_t count : f.tickCounts) {
        if (count == 0 || count > kReplayMaxTicksPerFrame) return why = "a frame with no or too many tick readings", false;
        ticks += count;
    }
    f.eventCounts.resize(frameCount);
    for (uint16_t& count : f.eventCounts) {
        uint32_t n = c.varint();
        if (n > kReplayMaxEventsPerFrame) return why = "a frame with too many events", false;
        events += count = uint16_t(n);
    }
    // Each reading and event takes at least a byte: more than remain is a lie.
    if (!c.ok || f.tickCounts.size() != frameCount || ticks + events > size_t(c.end - c.at))
        return why = "the frames are cut short", false;
    f.ticks.resize(ticks);
    uint32_t previousStart = firstTick;
    for (size_t frame = 0, at = 0; frame < f.size(); at += f.tickCounts[frame++])
        previousStart = f.ticks[at] = previousStart + uint32_t(unzigzag(c.varint()));
    for (size_t frame = 0, at = 0; frame < f.size(); at += f.tickCounts[frame++])
        for (size_t i = 1; i < f.tickCounts[frame]; ++i) f.ticks[at + i] = f.ticks[at + i - 1] + uint32_t(unzigzag(c.varint()));
    f.events.resize(events);
    for (InputEvent& e : f.events) {
        uint8_t kind = c.byte();
        if (kind > kLastInputKind) return why = "an event of no known kind", false;
        e.kind = InputEvent::Kind(kind);
        if (carriesSymbol(e.kind)) e.symbol = unzigzag(c.varint());
    }
    if (!c.ok) return why = "the frames are cut short", false;
    if (c.at != c.end) return why = "bytes after the last frame", false;
    return true;
}
}  // namespace

std::vector<uint8_t> encodeReplay(const Replay& replay) {
    const ReplayFrames& f = replay.frames;
    uint32_t firstTick = f.ticks.empty() ? 0 : f.ticks.front();
    std::vector<uint8_t> raw = columns(replay, firstTick);
    uLongf packedSize = compressBound(raw.size());
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), raw.size(), Z_BEST_COMPRESSION);
    packed.resize(packedSize);

    std::vector<uint8_t> out(kMagic, kMagic + 4);
    put16(out, kReplayFormatVersion);
    put16(out, replay.rulesVersion);
    put32(out, uint32_t(replay.mode));
    put32(out, replay.seed);
    const uint8_t* row = reinterpret_cast<const uint8_t*>(&replay.row);
    out.insert(out.end(), row, row + sizeof replay.row);
    put32(out, uint32_t(f.size()));
    put32(out, firstTick);
    put32(out, uint32_t(packed.size()));
    out.insert(out.end(), packed.begin(), packed.end());
    put32(out, uint32_t(crc32(0, out.data(), uInt(out.size()))));
    return out;
}

bool decodeReplay(const uint8_t* data, size_t size, Replay& replay, std::string& why) {
    if (size > kReplayMaxBytes) return why = "larger than 1 MiB", false;
    if (size < kHeaderBytes + kCrcBytes) return why = "too short to be a replay", false;
    if (std::memcmp(data, kMagic, 4) != 0) return why = "not a replay (no QRPL at its start)", false;
    if (get32(data + size - kCrcBytes) != uint32_t(crc32(0, data, uInt(size - kCrcBytes))))
        return why = "damaged: its checksum does not match", false;
    if (get16(data + 4) != kReplayFormatVersion) return why = "format version " + std::to_string(get16(data + 4)) + " is unknown", false;
    replay.rulesVersion = get16(data + 6);
    if (replay.rulesVersion != kRulesVersion) return why = "rules version " + std::to_string(replay.rulesVersion) + " is unknown", false;
    replay.mode = int32_t(get32(data + 8));
    replay.seed = get32(data + 12);
    std::memcpy(&replay.row, data + 16, sizeof replay.row);
    uint32_t frameCount = get32(data + 136), firstTick = get32(data + 140), packedSize = get32(data + 144);
    if (frameCount > kReplayMaxFrames) return why = "more than six hours of frames", false;
    if (packedSize != size - kHeaderBytes - kCrcBytes) return why = "the frames' length does not match the file", false;
    std::vector<uint8_t> raw;
    if (!inflateAll(data + kHeaderBytes, packedSize, raw)) return why = "the frames do not unpack", false;
    Cursor cursor{raw.data(), raw.data() + raw.size()};
    replay.startColumn = unzigzag(cursor.varint());
    replay.startRow = unzigzag(cursor.varint());
    uint32_t held = cursor.varint();
    if (!cursor.ok || held > kReplayMaxEventsPerFrame) return why = "the keys held at the start are damaged", false;
    replay.heldKeys.resize(held);
    for (int& key : replay.heldKeys) key = unzigzag(cursor.varint());
    return readColumns(cursor, frameCount, firstTick, replay.frames, why);
}

bool loadReplayFile(const char* path, Replay& replay, std::string& why) {
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return why = std::strerror(errno), false;
    struct stat info {};
    bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    close(fd);
    if (!regular) return why = "not a regular file", false;
    if (size_t(info.st_size) > kReplayMaxBytes) return why = "larger than 1 MiB", false;
    std::vector<uint8_t> bytes(kReplayMaxBytes + 1);
    long got = readStoredFile(path, bytes.data(), bytes.size());
    if (got < 0) return why = "cannot be read", false;
    return decodeReplay(bytes.data(), size_t(got), replay, why);
}

bool saveReplayFile(const char* path, const Replay& replay) {
    std::vector<uint8_t> bytes = encodeReplay(replay);
    return writeFileAtomically(path, bytes.data(), bytes.size());
}

bool loadReplayHeader(const char* path, Replay& replay) {
    uint8_t header[kHeaderBytes];
    if (readStoredFile(path, header, sizeof header) != long(sizeof header) || std::memcmp(header, kMagic, 4) != 0)
        return false;
    replay.mode = int32_t(get32(header + 8));
    std::memcpy(&replay.row, header + 16, sizeof replay.row);
    return true;
}
