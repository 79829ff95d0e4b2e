#pragma once
#include <cstddef>
#include <string>

// Looks for the server's "dataok" across packets while keeping only the few
// bytes a split word needs, so a chatty server cannot grow the text.
class ResponseScanner {
public:
    void append(const char* data, size_t size);
    bool found() const { return found_; }
    size_t keptBytes() const { return kept_.size(); }

private:
    std::string kept_;
    bool found_ = false;
};
