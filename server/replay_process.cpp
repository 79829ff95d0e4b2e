#include "replay_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>

namespace {
constexpr rlim_t kMemoryBytes = rlim_t(512) << 20;
constexpr rlim_t kProcessorSeconds = 5;
constexpr int kWaitMs = 10000;

void putNumber(std::string& out, uint64_t value) { out.append(reinterpret_cast<const char*>(&value), sizeof value); }
void putText(std::string& out, const std::string& text) { putNumber(out, text.size()), out += text; }

struct Reader {
    const std::string& in;
    std::size_t at = 0;
    bool ok = true;
    uint64_t number() {
        uint64_t value = 0;
        if (at + sizeof value > in.size()) return ok = false, 0;
        std::memcpy(&value, in.data() + at, sizeof value);
        at += sizeof value;
        return value;
    }
    std::string text() {
        uint64_t size = number();
        if (!ok || size > in.size() - at) return ok = false, "";
        std::string out = in.substr(at, size);
        at += size;
        return out;
    }
};

std::string encode(const ReplayJudgement& j) {
    std::string out;
    uint64_t seconds = 0;
    std::memcpy(&seconds, &j.verifySeconds, sizeof seconds);
    for (uint64_t n : {uint64_t(j.status), uint64_t(j.upload.mode), uint64_t(uint32_t(j.upload.blocks)),
                       uint64_t(j.upload.score), uint64_t(j.upload.timeMs), seconds})
        putNumber(out, n);
    for (const std::string* text : {&j.reason, &j.kind, &j.upload.image, &j.upload.name}) putText(out, *text);
    return out;
}

bool decode(const std::string& in, ReplayJudgement& j) {
    Reader r{in};
    j.status = int(r.number());
    j.upload.mode = int(r.number());
    j.upload.blocks = int32_t(uint32_t(r.number()));
    j.upload.score = uint32_t(r.number());
    j.upload.timeMs = uint32_t(r.number());
    uint64_t seconds = r.number();
    std::memcpy(&j.verifySeconds, &seconds, sizeof seconds);
    for (std::string* text : {&j.reason, &j.kind, &j.upload.image, &j.upload.name}) *text = r.text();
    return r.ok && r.at == in.size() && (j.status == 200 || j.status == 400 || j.status == 422);
}

[[noreturn]] void playInChild(int out, const std::string& query, const std::string& body, const ReplayRules& rules) {
    rlimit processor{kProcessorSeconds, kProcessorSeconds};
    setrlimit(RLIMIT_CPU, &processor);
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer reserves far more address space than it uses
    rlimit memory{kMemoryBytes, kMemoryBytes};
    setrlimit(RLIMIT_AS, &memory);
#endif
    std::string answer = encode(judgeReplay(query, body, rules));
    for (std::size_t sent = 0; sent < answer.size();) {
        ssize_t n = write(out, answer.data() + sent, answer.size() - sent);
        if (n <= 0) _exit(1);
        sent += std::size_t(n);
    }
    _exit(0);
}

// Everything the child writes, until it closes its end or the wait is over.
std::string collect(int in) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    for (char buffer[4096];;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable{in, POLLIN, 0};
        if (left.count() <= 0 || poll(&readable, 1, int(left.count())) <= 0) return got;
        ssize_t n = read(in, buffer, sizeof buffer);
        if (n <= 0) return got;
        got.append(buffer, std::size_t(n));
    }
}

ReplayJudgement notPlayed() {
    ReplayJudgement judgement;
    judgement.status = 422;
    judgement.kind = "play";
    judgement.reason = "the replay could not be played again within its time and memory";
    return judgement;
}
}  // namespace

ReplayJudgement judgeReplayApart(const std::string& query, const std::string& body, const ReplayRules& rules) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return notPlayed();
    pid_t child = fork();
    if (child == 0) close(pipeEnds[0]), playInChild(pipeEnds[1], query, body, rules);
    close(pipeEnds[1]);
    std::string answer = child > 0 ? collect(pipeEnds[0]) : "";
    close(pipeEnds[0]);
    if (child > 0) kill(child, SIGKILL), waitpid(child, nullptr, 0);
    ReplayJudgement judgement;
    return decode(answer, judgement) ? judgement : notPlayed();
}
