#include "scores/response_scanner.h"

void ResponseScanner::append(const char* data, size_t size) {
    if (found_) return;
    kept_.append(data, size);
    if (kept_.find(word_) != std::string::npos) {
        found_ = true;
    } else {
        size_t keep = word_.size() - 1;  // a word split at the end needs at most this much
        if (kept_.size() > keep) kept_.erase(0, kept_.size() - keep);
    }
}
