#include "base/file_util.h"

#include <cstdio>
#include <string>
#include <unistd.h>

bool writeFileAtomically(const char* path, const void* data, size_t size) {
    std::string temporary = std::string(path) + ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(data, 1, size, file) == size;
    written = (std::fflush(file) == 0) && written;
    written = (fsync(fileno(file)) == 0) && written;
    written = (std::fclose(file) == 0) && written;
    if (!written || std::rename(temporary.c_str(), path) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
