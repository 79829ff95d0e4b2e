#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A few threads for the work that would stall the threads that read and
// write sockets: the database, and playing replays again. Its queue is
// bounded; a job that finds it full is refused at once, never left waiting.
class WorkPool {
public:
    WorkPool(int threads, std::size_t queued);
    ~WorkPool();  // runs what is queued, then joins
    WorkPool(const WorkPool&) = delete;
    WorkPool& operator=(const WorkPool&) = delete;

    bool post(std::function<void()> job);

private:
    void work();
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> jobs_;
    std::size_t cap_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};
