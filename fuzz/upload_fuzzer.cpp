#include <cstdlib>
#include <cstring>
#include <string>

#include "upload_check.h"

// "PATH?QUERY", a line break, the body. What is accepted must be a row a
// game can make, kept exactly as sent; a refusal gives a one-line reason.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    size_t line = std::min(in.find('\n'), size), mark = std::min(in.find('?'), line);
    std::string body = line < size ? in.substr(line + 1) : "";
    UploadVerdict verdict = checkUpload(in.substr(0, mark), mark < line ? in.substr(mark + 1, line - mark - 1) : "", body);
    if (verdict.status != 200) return verdict.reason.empty() || verdict.reason.find('\n') != std::string::npos ? (std::abort(), 0) : 0;
    HighscoreEntry row;
    std::memcpy(&row, body.data() + 5, sizeof row);
    int64_t blocks = 0, score = 0;
    for (int kind = 0; kind < 10; ++kind) blocks += row.removedByKind[kind], score += int64_t(row.removedByKind[kind]) * kind * 10;
    if (verdict.upload.image != body.substr(5, sizeof row) || blocks != row.blocksDestroyed || score != row.score ||
        !row.time || verdict.upload.mode < 1 || verdict.upload.mode > 4 || verdict.upload.name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") != std::string::npos)
        std::abort();
    return 0;
}
