#include "rate_limiter.h"

#include <algorithm>

namespace {
constexpr std::size_t kTrackedAddresses = 50000;
}

bool RateLimiter::allow(const std::string& address, Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (buckets_.size() >= kTrackedAddresses) forgetIdle(now);
    auto found = buckets_.try_emplace(address, Bucket{burst_, now}).first;
    Bucket& bucket = found->second;
    double seconds = std::chrono::duration<double>(now - bucket.last).count();
    bucket.tokens = std::min(burst_, bucket.tokens + seconds * perSecond_);
    bucket.last = now;
    if (bucket.tokens < 1.0) return false;
    bucket.tokens -= 1.0;
    return true;
}

// A bucket that has refilled is the same as no bucket, so a flood from many
// addresses cannot grow the table without end.
void RateLimiter::forgetIdle(Clock::time_point now) {
    for (auto it = buckets_.begin(); it != buckets_.end();) {
        double seconds = std::chrono::duration<double>(now - it->second.last).count();
        if (it->second.tokens + seconds * perSecond_ >= burst_)
            it = buckets_.erase(it);
        else
            ++it;
    }
    if (buckets_.size() >= kTrackedAddresses) buckets_.clear();
}
