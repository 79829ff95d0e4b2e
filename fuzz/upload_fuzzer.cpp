#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "upload_check.h"

// "PATH?QUERY", a line break, then the body. Whatever is accepted must be a
// row a game can make, kept exactly as sent.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t line = std::min(input.find('\n'), size), mark = std::min(input.find('?'), line);
    std::string query = mark < line ? input.substr(mark + 1, line - mark - 1) : "";
    std::string body = line < size ? input.substr(line + 1) : "";
    UploadVerdict verdict = checkUpload(input.substr(0, mark), query, body);
    if (verdict.status != 200) {
        if (verdict.reason.empty() || verdict.reason.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    HighscoreEntry row;
    if (verdict.upload.image.size() != sizeof row || body.compare(5, sizeof row, verdict.upload.image) != 0) std::abort();
    std::memcpy(&row, verdict.upload.image.data(), sizeof row);
    int64_t blocks = 0, score = 0;
    for (int kind = 0; kind < 10; ++kind) blocks += row.removedByKind[kind], score += int64_t(row.removedByKind[kind]) * kind * 10;
    if (blocks != row.blocksDestroyed || score != row.score || row.time == 0 || verdict.upload.mode < 1 ||
        verdict.upload.mode > 4 || verdict.upload.name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") != std::string::npos)
        std::abort();
    return 0;
}
