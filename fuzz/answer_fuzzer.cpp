#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

#include "scores/response_scanner.h"

// An answer in packets cut where the input itself picks: after each packet
// the scanner has seen "dataok" exactly when the bytes so far hold it.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::string answer(reinterpret_cast<const char*>(data), size);
    std::minstd_rand cuts(static_cast<unsigned>(std::hash<std::string>()(answer)));
    ResponseScanner scanner;
    for (size_t at = 0, piece = 0; at < size; at += piece) {
        scanner.append(answer.data() + at, piece = std::min<size_t>(size - at, 1 + cuts() % (cuts() % 2 ? 8 : 2048)));
        bool holds = answer.substr(0, at + piece).find("dataok") != std::string::npos;
        if (scanner.found() != holds || (!holds && scanner.keptBytes() > 5)) std::abort();
    }
    return 0;
}
