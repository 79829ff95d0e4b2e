#include "web_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "score_routes.h"
#include "web_headers.h"

namespace {
const char* const kIndex = "index.html";

// Told to every visitor of a server without the build; the operator learns
// where it looked from the line the server logs at start.
const char* const kNoBuildPage =
    "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">"
    "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
    "<title>QUADRUNE: NO WEB BUILD HERE</title></head><body>"
    "<h1>The browser game is not installed on this server</h1>"
    "<p>This score server serves the browser build of Quadrune under /play/, but has none to serve.</p>"
    "<p>Operator: install the <code>quadrune-web</code> package, or start the server with "
    "<code>--web-root DIR</code> naming a folder that holds the web build "
    "(<code>tools/build_web.sh</code> writes one to <code>build-web/web/</code>).</p>"
    "<p><a href=\"/\">The highscores</a></p></body></html>\n";

// Names are taken literally and only from a plain alphabet: nothing
// percent-encoded, no empty, dot-led (. .. hidden) or backslashed part.
bool isPlainName(const std::string& name) {
    if (name.empty() || name.size() > 255) return false;
    char before = '/';
    for (char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '_' || c == '.' || c == '/';
        if (!plain || (before == '/' && (c == '/' || c == '.'))) return false;
        before = c;
    }
    return before != '/';
}

std::string realPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : "";
}

// A regular file whose real path lies inside the root's, opened; links
// within the build are followed, links leading out of it are not.
std::shared_ptr<FileBody> openInside(const std::string& realRoot, const std::string& name) {
    std::string real = realPath(realRoot + "/" + name);
    if (real.compare(0, realRoot.size() + 1, realRoot + "/") != 0) return nullptr;
    int fd = open(real.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return nullptr;
    auto file = std::make_shared<FileBody>(fd, 0);
    struct stat facts {};
    if (fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) return nullptr;
    file->size = uint64_t(facts.st_size);
    return file;
}

// Size, time of change and inode stand for the bytes: a package upgrade
// writes each file anew, so even a rebuilt index.html of the same length
// stamped with the same time gets a new tag. The gzipped bytes are another entity.
std::string entityTag(int fd, bool gzipped) {
    struct stat facts {};
    fstat(fd, &facts);
    uint64_t changed = uint64_t(facts.st_mtim.tv_sec) * 1000000000u + uint64_t(facts.st_mtim.tv_nsec);
    char tag[80];
    std::snprintf(tag, sizeof tag, "\"%" PRIx64 "-%" PRIx64 "-%" PRIx64 "%s\"", uint64_t(facts.st_size), changed,
                  uint64_t(facts.st_ino), gzipped ? "-gz" : "");
    return tag;
}

HttpReply counted(int status, const char* line, ServerMetrics& metrics, const char* outcome) {
    metrics.web(outcome);
    return plainReply(status, line);
}

HttpReply noBuild(ServerMetrics& metrics) {
    metrics.web("no_build");
    HttpReply reply;
    reply.status = 404;
    reply.type = "text/html; charset=utf-8";
    reply.body = kNoBuildPage;
    reply.headers.push_back({"Cache-Control", "no-cache"});
    return reply;
}

HttpReply redirect(const std::string& location, ServerMetrics& metrics) {
    metrics.web("redirect");
    HttpReply reply = plainReply(301, "moved to " + location);
    reply.headers.push_back({"Location", location});
    return reply;
}

// The file, or its gzipped twin beside it when the client takes gzip; a
// validator the client already holds turns it into 304.
HttpReply fileReply(const std::string& realRoot, const std::string& name, const HttpRequest& request,
                    ServerMetrics& metrics) {
    std::shared_ptr<FileBody> plain = openInside(realRoot, name);
    if (!plain) return counted(404, "no such file", metrics, "missing");
    std::shared_ptr<FileBody> gzipped = openInside(realRoot, name + ".gz");
    bool sendGzipped = gzipped && acceptsGzip(request.acceptEncoding);
    HttpReply reply;
    reply.type = webMediaType(name);
    reply.file = sendGzipped ? gzipped : plain;
    std::string tag = entityTag(reply.file->fd, sendGzipped);
    reply.headers.push_back({"ETag", tag});
    reply.headers.push_back(
        {"Cache-Control", isContentAddressed(name) ? "public, max-age=31536000, immutable" : "no-cache"});
    if (gzipped) reply.headers.push_back({"Vary", "Accept-Encoding"});
    reply.headers.push_back({"X-Content-Type-Options", "nosniff"});
    if (matchesEntityTag(request.ifNoneMatch, tag)) {
        metrics.web("not_modified");
        reply.status = 304, reply.type.clear(), reply.file.reset();
        return reply;
    }
    if (sendGzipped) reply.headers.push_back({"Content-Encoding", "gzip"});
    metrics.web(sendGzipped ? "gzip" : "file");
    return reply;
}
}  // namespace

bool WebFiles::playable() const {
    std::string realRoot = realPath(root_);
    return !realRoot.empty() && openInside(realRoot, kIndex) != nullptr;
}

HttpReply WebFiles::answer(const HttpRequest& request, ServerMetrics& metrics) const {
    if (request.method != "GET" && request.method != "HEAD") {
        HttpReply reply = counted(405, "only GET and HEAD", metrics, "refused");
        reply.headers.push_back({"Allow", "GET, HEAD"});
        return reply;
    }
    // Relative names in the page resolve against /play/, never /.
    if (request.path == "/play") return redirect("/play/" + (request.query.empty() ? "" : "?" + request.query), metrics);
    std::string name = request.path.substr(std::string("/play/").size());
    if (name.empty()) name = kIndex;
    if (!isPlainName(name)) return counted(400, "bad file name", metrics, "refused");
    std::string realRoot = realPath(root_);
    if (realRoot.empty() || !openInside(realRoot, kIndex)) return noBuild(metrics);
    return fileReply(realRoot, name, request, metrics);
}
