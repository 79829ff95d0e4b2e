#include "upload_check.h"

#include <cstring>

namespace {

UploadVerdict refuse(int status, const char* reason) {
    UploadVerdict verdict;
    verdict.status = status;
    verdict.reason = reason;
    return verdict;
}

bool allZero(const void* bytes, std::size_t count) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < count; ++i)
        if (p[i]) return false;
    return true;
}

bool nameAllowed(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Letters and digits, then only zeros; the name entry can leave it empty.
bool readName(const HighscoreEntry& row, std::string& name) {
    std::size_t length = 0;
    while (length < sizeof row.name && nameAllowed(row.name[length])) ++length;
    name.assign(row.name, length);
    return allZero(row.name + length, sizeof row.name - length);
}

bool reservedBytesZero(const HighscoreEntry& row) {
    // The game never computes scorePerSecond for an upload; its bytes are zero too.
    return allZero(row.reserved10, sizeof row.reserved10) && row.reserved60 == 0 &&
           allZero(row.reserved68, sizeof row.reserved68) &&
           allZero(&row.scorePerSecond, sizeof row.scorePerSecond) &&
           allZero(row.reserved80, sizeof row.reserved80);
}

// A run of n blocks of kind k adds n to counter k and n * k * 10 to the score.
const char* checkCounts(const HighscoreEntry& row) {
    int64_t blocks = 0;
    int64_t score = 0;
    for (int kind = 0; kind < 10; ++kind) {
        if (row.removedByKind[kind] < 0) return "a block counter is negative";
        blocks += row.removedByKind[kind];
        score += int64_t(row.removedByKind[kind]) * kind * 10;
    }
    if (blocks != row.blocksDestroyed) return "block count is not the sum of the per-kind counters";
    if (score != int64_t(row.score)) return "score is not the sum of kind x count x 10";
    if (row.time == 0) return "time is zero";
    return nullptr;
}

}  // namespace

int parseMode(const std::string& text) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '4') return 0;
    return text[0] - '0';
}

UploadVerdict checkUpload(const std::string& path, const std::string& query, const std::string& body) {
    if (path != "/score.php") return refuse(404, "unknown path");
    if (query.compare(0, 5, "mode=") != 0 || parseMode(query.substr(5)) == 0)
        return refuse(400, "query must be mode=1, 2, 3 or 4");
    if (body.size() != kUploadBodyBytes) return refuse(400, "body must be 129 bytes");
    if (body.compare(0, 5, "data=") != 0 || body.compare(kUploadBodyBytes - 4, 4, "0120") != 0)
        return refuse(400, "body must be data=, the 120-byte row, then 0120");

    HighscoreEntry row;
    std::memcpy(&row, body.data() + 5, sizeof row);
    UploadVerdict verdict;
    if (!readName(row, verdict.upload.name))
        return refuse(422, "name must be A-Z or 0-9, followed by zeros");
    if (!reservedBytesZero(row)) return refuse(422, "reserved bytes are not zero");
    if (const char* fault = checkCounts(row)) return refuse(422, fault);

    verdict.upload.mode = query[5] - '0';
    verdict.upload.image.assign(body, 5, sizeof row);
    verdict.upload.blocks = row.blocksDestroyed;
    verdict.upload.score = row.score;
    verdict.upload.timeMs = row.time;
    return verdict;
}
