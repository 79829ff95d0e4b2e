#pragma once
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <iterator>
#include <string>

// What an operator watches, in Prometheus' text format: uploads and replays
// by outcome and reason, how long playing replays again takes, database
// errors, the requests refused because the server was busy, and the browser
// build's files by outcome.
class ServerMetrics {
public:
    void upload(const std::string& outcome, const std::string& reason = "");
    void replay(const std::string& outcome, const std::string& reason = "");
    void verified(double seconds);
    void databaseError() { ++databaseErrors_; }
    void busy(const std::string& what);
    void web(const std::string& outcome);
    std::string render();

private:
    using Counts = std::map<std::string, uint64_t>;  // by label set
    static void count(Counts& counts, const std::string& labels);
    std::mutex mutex_;
    Counts uploads_, replays_, busy_, web_;
    static constexpr double kBounds[] = {0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1};
    uint64_t buckets_[std::size(kBounds)] = {};
    uint64_t verifications_ = 0;
    double verifySeconds_ = 0;
    std::atomic<uint64_t> databaseErrors_{0};
};
