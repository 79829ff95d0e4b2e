#include "server_metrics.h"

#include <cstdio>

namespace {
std::string labels(const std::string& outcome, const std::string& reason) {
    std::string text = "outcome=\"" + outcome + "\"";
    return reason.empty() ? text : text + ",reason=\"" + reason + "\"";
}

void family(std::string& out, const char* name, const char* help, const char* type) {
    out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}
}  // namespace

void ServerMetrics::count(Counts& counts, const std::string& labels) { ++counts[labels]; }

void ServerMetrics::upload(const std::string& outcome, const std::string& reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    count(uploads_, labels(outcome, reason));
}

void ServerMetrics::replay(const std::string& outcome, const std::string& reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    count(replays_, labels(outcome, reason));
}

void ServerMetrics::busy(const std::string& what) {
    std::lock_guard<std::mutex> lock(mutex_);
    count(busy_, "what=\"" + what + "\"");
}

void ServerMetrics::web(const std::string& outcome) {
    std::lock_guard<std::mutex> lock(mutex_);
    count(web_, labels(outcome, ""));
}

void ServerMetrics::verified(double seconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t i = 0; i < std::size(kBounds); ++i) buckets_[i] += seconds <= kBounds[i];
    ++verifications_;
    verifySeconds_ += seconds;
}

std::string ServerMetrics::render() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string out;
    auto counter = [&](const char* name, const char* help, const Counts& counts) {
        family(out, name, help, "counter");
        for (const auto& [labelSet, value] : counts) out += std::string(name) + "{" + labelSet + "} " + std::to_string(value) + "\n";
    };
    counter("quadrune_uploads_total", "Plain score uploads by outcome and reason.", uploads_);
    counter("quadrune_replays_total", "Replays sent by outcome and reason.", replays_);
    counter("quadrune_busy_refusals_total", "Requests answered 503 server busy.", busy_);
    counter("quadrune_web_requests_total", "Requests under /play/ by outcome.", web_);
    family(out, "quadrune_replay_verify_seconds", "Time to play a replay again.", "histogram");
    for (std::size_t i = 0; i < std::size(kBounds); ++i)
        out += "quadrune_replay_verify_seconds_bucket{le=\"" + number(kBounds[i]) + "\"} " + std::to_string(buckets_[i]) + "\n";
    out += "quadrune_replay_verify_seconds_bucket{le=\"+Inf\"} " + std::to_string(verifications_) + "\n";
    out += "quadrune_replay_verify_seconds_sum " + number(verifySeconds_) + "\n";
    out += "quadrune_replay_verify_seconds_count " + std::to_string(verifications_) + "\n";
    family(out, "quadrune_database_errors_total", "Stores and reads the database could not do.", "counter");
    out += "quadrune_database_errors_total " + std::to_string(databaseErrors_.load()) + "\n";
    return out;
}
