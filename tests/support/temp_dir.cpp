#include "temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

TempDir::TempDir() {
    char pattern[] = "/tmp/quadrune-test-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::abort();
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TempDir::enter() {
    if (previous_.empty()) previous_ = std::filesystem::current_path().string();
    if (chdir(path_.c_str()) != 0) throw std::runtime_error("chdir failed");
}

std::vector<unsigned char> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool fileExists(const std::string& path) { return std::filesystem::exists(path); }
