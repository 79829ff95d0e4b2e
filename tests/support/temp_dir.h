#pragma once
#include <string>
#include <vector>

// A fresh directory under /tmp that is removed again, and that can be made
// the working directory for the duration of a test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void enter();  // chdir into it until destruction

private:
    std::string path_;
    std::string previous_;
};

std::vector<unsigned char> readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
bool fileExists(const std::string& path);
