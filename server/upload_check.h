#pragma once
#include <cstddef>
#include <string>

#include "rules/highscore_records.h"

constexpr std::size_t kUploadBodyBytes = 5 + sizeof(HighscoreEntry) + 4;  // "data=", row, "0120"
static_assert(kUploadBodyBytes == 129);
// Bodies over this are refused from their Content-Length, before being read.
constexpr std::size_t kUploadCapBytes = 1024;

// An accepted upload: the row as sent, and what the leaderboard needs of it.
struct Upload {
    int mode = 0;         // 1..4
    std::string image;    // the 120 row bytes; the same game sent twice has the same image
    std::string name;     // 'A'-'Z' and '0'-'9' only
    int32_t blocks = 0;
    uint32_t score = 0;
    uint32_t timeMs = 0;
    // The day (since 1970-01-01, UTC) whose deal a verified replay played, or
    // -1: a plain upload proves no deal and so never enters a day's board.
    int64_t dailyDay = -1;
};

struct UploadVerdict {
    int status = 200;     // anything else refuses, with `reason` as the one-line answer
    std::string reason;
    Upload upload;
};

// The value of mode=N, or 0 when it is not one of 1..4.
int parseMode(const std::string& text);

// Judges one upload without any I/O; `query` is the raw text after '?'.
UploadVerdict checkUpload(const std::string& path, const std::string& query, const std::string& body);
