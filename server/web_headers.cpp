#include "web_headers.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

namespace {
std::string trimmed(const std::string& text) {
    std::size_t from = text.find_first_not_of(" \t"), to = text.find_last_not_of(" \t");
    return from == std::string::npos ? "" : text.substr(from, to - from + 1);
}

std::string lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> split(const std::string& text, char mark) {
    std::vector<std::string> parts;
    for (std::size_t at = 0;;) {
        std::size_t end = text.find(mark, at);
        parts.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) return parts;
        at = end + 1;
    }
}

// The weight of one listed coding: 1 unless a q parameter says otherwise;
// one that cannot be read counts as refused.
double weightOf(const std::vector<std::string>& parameters) {
    for (std::size_t i = 1; i < parameters.size(); ++i) {
        std::string parameter = lower(trimmed(parameters[i]));
        if (parameter.compare(0, 2, "q=") != 0) continue;
        const char* value = parameter.c_str() + 2;
        char* end = nullptr;
        double weight = std::strtod(value, &end);
        return end == value || *end != '\0' ? 0 : weight;
    }
    return 1;
}

bool isLowerHex(const std::string& text) { return text.find_first_not_of("0123456789abcdef") == std::string::npos; }
}  // namespace

bool acceptsGzip(const std::string& acceptEncoding) {
    double gzip = -1, any = -1;
    for (const std::string& element : split(acceptEncoding, ',')) {
        std::vector<std::string> parameters = split(element, ';');
        std::string coding = lower(trimmed(parameters[0]));
        if (coding == "gzip" || coding == "x-gzip") gzip = std::max(gzip, weightOf(parameters));
        if (coding == "*") any = weightOf(parameters);
    }
    // A coding named outright outweighs the wildcard.
    return gzip >= 0 ? gzip > 0 : any > 0;
}

bool matchesEntityTag(const std::string& ifNoneMatch, const std::string& etag) {
    if (trimmed(ifNoneMatch) == "*") return true;
    std::size_t at = 0;
    while (at < ifNoneMatch.size()) {
        at = ifNoneMatch.find_first_not_of(" \t,", at);
        if (at == std::string::npos) return false;
        if (ifNoneMatch.compare(at, 2, "W/") == 0) at += 2;
        if (ifNoneMatch[at] != '"') return false;  // not a list of tags: nothing matches
        std::size_t close = ifNoneMatch.find('"', at + 1);
        if (close == std::string::npos) return false;
        if (ifNoneMatch.compare(at, close - at + 1, etag) == 0) return true;
        at = close + 1;
    }
    return false;
}

bool isContentAddressed(const std::string& name) {
    std::string base = name.substr(name.rfind('/') + 1);
    std::vector<std::string> parts = split(base, '.');
    if (parts.size() < 3 || parts.front().empty() || parts.back().empty()) return false;
    const std::string& hash = parts[parts.size() - 2];
    return hash.size() == 16 && isLowerHex(hash);
}

const char* webMediaType(const std::string& name) {
    struct Type {
        const char* extension;
        const char* type;
    };
    static const Type kTypes[] = {
        {".html", "text/html; charset=utf-8"}, {".js", "text/javascript"},
        {".wasm", "application/wasm"},         {".data", "application/octet-stream"},
        {".css", "text/css; charset=utf-8"},   {".json", "application/json"},
        {".png", "image/png"},                 {".svg", "image/svg+xml"},
        {".ico", "image/vnd.microsoft.icon"},  {".txt", "text/plain; charset=utf-8"},
        {".map", "application/json"},          {".gz", "application/gzip"},
    };
    for (const Type& t : kTypes) {
        std::string extension = t.extension;
        if (name.size() > extension.size() && name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
            return t.type;
    }
    return "application/octet-stream";
}
