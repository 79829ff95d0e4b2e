#include "work_pool.h"

WorkPool::WorkPool(int threads, std::size_t queued) : cap_(queued) {
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
}

WorkPool::~WorkPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    ready_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

bool WorkPool::post(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_ || jobs_.size() >= cap_) return false;
        jobs_.push_back(std::move(job));
    }
    ready_.notify_one();
    return true;
}

void WorkPool::work() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            ready_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}
