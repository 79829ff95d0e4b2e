#pragma once
#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

// A token bucket per client address: `burst` submissions at once, refilled at
// `perSecond`.
class RateLimiter {
public:
    using Clock = std::chrono::steady_clock;
    RateLimiter(double perSecond, double burst) : perSecond_(perSecond), burst_(burst) {}
    bool allow(const std::string& address, Clock::time_point now = Clock::now());

private:
    struct Bucket {
        double tokens;
        Clock::time_point last;
    };
    void forgetIdle(Clock::time_point now);

    double perSecond_;
    double burst_;
    std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
};
