// SDL_net's calls as the score upload makes them, carried by fetch() to the
// page's own origin. A connection gathers the bytes the game sends; once
// they make a whole HTTP request, its method, path and body (the same
// bytes as natively) go out, and the reply comes back as the raw answer a
// socket would have read.
#include <SDL_net.h>
#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
constexpr int kPending = -1;

// Starts the request; its number for fetchState.
EM_JS(int, startFetch, (const char* method, const char* path, const char* type, const uint8_t* body, int length), {
    var requests = Module.quadruneRequests || (Module.quadruneRequests = []);
    var request = {reply : null};
    var id = requests.push(request) - 1;
    var headers = {};
    var contentType = UTF8ToString(type);
    if (contentType) headers['Content-Type'] = contentType;
    fetch(new URL(UTF8ToString(path), location.origin), {
        method : UTF8ToString(method),
        headers : headers,
        body : HEAPU8.slice(body, body + length),
        cache : 'no-store'
    })
        .then(function (response) {
            return response.arrayBuffer().then(function (body) {
                var lineEnd = String.fromCharCode(13, 10);
                var head = 'HTTP/1.1 ' + response.status + ' ' + response.statusText + lineEnd + lineEnd;
                var bytes = new Uint8Array(head.length + body.byteLength);
                for (var i = 0; i < head.length; ++i) bytes[i] = head.charCodeAt(i) & 255;
                bytes.set(new Uint8Array(body), head.length);
                request.reply = bytes;
            });
        })
        .catch(function (error) {
            console.warn('quadrune: ' + UTF8ToString(path) + ' could not be sent: ' + error);
            request.reply = new Uint8Array(0);
        });
    return id;
});

// -1 while waiting, else the reply's length.
EM_JS(int, fetchState, (int id), {
    var reply = Module.quadruneRequests[id].reply;
    return reply ? reply.length : -1;
});

EM_JS(void, takeReply, (int id, uint8_t* out), {
    HEAPU8.set(Module.quadruneRequests[id].reply, out);
    Module.quadruneRequests[id] = {reply : new Uint8Array(0)};
});
}  // namespace

struct FetchConnection {
    std::string request;
    int id = kPending;
    std::vector<uint8_t> reply;
    size_t read = 0;
    bool answered = false;
};

struct FetchSocketSet {
    std::vector<FetchConnection*> members;
};

namespace {
std::string headerValue(const std::string& head, const char* name) {
    std::string key = std::string("\r\n") + name + ": ";
    size_t at = head.find(key);
    if (at == std::string::npos) return "";
    at += key.size();
    return head.substr(at, head.find("\r\n", at) - at);
}

// Sends the request once all of its body has been given.
void sendWhenWhole(FetchConnection& c) {
    if (c.id != kPending) return;
    size_t end = c.request.find("\r\n\r\n");
    if (end == std::string::npos) return;
    size_t bodyAt = end + 4;
    size_t length = std::strtoul(headerValue(c.request.substr(0, bodyAt), "Content-Length").c_str(), nullptr, 10);
    if (c.request.size() < bodyAt + length) return;
    size_t space = c.request.find(' ');
    size_t pathEnd = c.request.find(' ', space + 1);
    if (space == std::string::npos || pathEnd == std::string::npos || pathEnd > end) return;
    std::string method = c.request.substr(0, space);
    std::string path = c.request.substr(space + 1, pathEnd - space - 1);
    std::string type = headerValue(c.request.substr(0, bodyAt), "Content-Type");
    c.id = startFetch(method.c_str(), path.c_str(), type.c_str(),
                      reinterpret_cast<const uint8_t*>(c.request.data()) + bodyAt, static_cast<int>(length));
}

bool ready(FetchConnection& c) {
    if (!c.answered && c.id != kPending) {
        int length = fetchState(c.id);
        if (length >= 0) {
            c.reply.resize(static_cast<size_t>(length));
            if (length > 0) takeReply(c.id, c.reply.data());
            c.answered = true;
        }
    }
    return c.answered;
}
}  // namespace

int SDLNet_Init(void) { return 0; }
void SDLNet_Quit(void) {}

// Every upload goes to the page's own origin, whatever the host.
int SDLNet_ResolveHost(IPaddress* address, const char*, Uint16 port) {
    address->host = 0;
    address->port = port;
    return 0;
}

TCPsocket SDLNet_TCP_Open(IPaddress*) { return new FetchConnection; }

int SDLNet_TCP_Send(TCPsocket socket, const void* data, int length) {
    if (!socket || length < 0) return -1;
    socket->request.append(static_cast<const char*>(data), static_cast<size_t>(length));
    sendWhenWhole(*socket);
    return length;
}

// The whole reply in pieces, then 0 as a closed socket gives.
int SDLNet_TCP_Recv(TCPsocket socket, void* data, int maxLength) {
    if (!socket || !ready(*socket)) return -1;
    size_t count = std::min(socket->reply.size() - socket->read, static_cast<size_t>(maxLength));
    std::memcpy(data, socket->reply.data() + socket->read, count);
    socket->read += count;
    return static_cast<int>(count);
}

void SDLNet_TCP_Close(TCPsocket socket) { delete socket; }

SDLNet_SocketSet SDLNet_AllocSocketSet(int) { return new FetchSocketSet; }

int SDLNet_TCP_AddSocket(SDLNet_SocketSet set, TCPsocket socket) {
    set->members.push_back(socket);
    return static_cast<int>(set->members.size());
}

int SDLNet_SocketReady(TCPsocket socket) { return socket && ready(*socket) ? 1 : 0; }

// Sleeps as select() would, so the page can take the reply meanwhile.
int SDLNet_CheckSockets(SDLNet_SocketSet set, Uint32 timeoutMs) {
    for (int pass = 0; pass < 2; ++pass) {
        int count = 0;
        for (FetchConnection* member : set->members) count += ready(*member) ? 1 : 0;
        if (count > 0 || pass == 1) return count;
        emscripten_sleep(timeoutMs);
    }
    return 0;
}

void SDLNet_FreeSocketSet(SDLNet_SocketSet set) { delete set; }
