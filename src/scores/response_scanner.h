#pragma once
#include <cstddef>
#include <string>

// Looks for the server's "dataok" (or another word) across packets while
// keeping only the few bytes a split word needs, so a chatty server cannot
// grow the text.
class ResponseScanner {
public:
    explicit ResponseScanner(const char* word = "dataok") : word_(word) {}
    void append(const char* data, size_t size);
    bool found() const { return found_; }
    size_t keptBytes() const { return kept_.size(); }

private:
    std::string word_;
    std::string kept_;
    bool found_ = false;
};
