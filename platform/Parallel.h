#pragma once
// Work on many independent items that mostly waits on the file system: spread over the
// processors in batches, and on the calling thread alone when there are too few to be worth a
// thread.
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

inline std::size_t processorCount() { return std::max(1u, std::thread::hardware_concurrency()); }

// Calls each(i) once for every i below count; the calls may run at once on several threads.
template <class Each>
void forEachInParallel(std::size_t count, const Each& each) {
    constexpr std::size_t Batch = 512;
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t begin; (begin = next.fetch_add(Batch)) < count;)
            for (std::size_t i = begin; i < std::min(count, begin + Batch); ++i) each(i);
    };
    const std::size_t helpers = std::min(processorCount(), count / Batch);
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < helpers; ++t) pool.emplace_back(work);
    work();
    for (auto& t : pool) t.join();
}

// The same for items that the calling thread is still making: it hands them over with offer()
// as they become ready, goes on with its work while helper threads call each(i) on them, and
// calls finish() at the end. Helpers start only once a whole batch waits; wait() and finish() do
// what no helper has taken on the calling thread. Whatever each(i) reads must stay put while it
// may run: before the caller moves it, wait() lets every offered call end. each(i) must not throw.
template <class Each>
class ParallelFeed {
public:
    static constexpr std::size_t Batch = 512;

    explicit ParallelFeed(Each each, std::size_t helpers = processorCount())
        : each_(std::move(each)), maxHelpers_(helpers) {}
    ~ParallelFeed() { stop(); }
    ParallelFeed(const ParallelFeed&) = delete;
    ParallelFeed& operator=(const ParallelFeed&) = delete;

    // The items below count are ready.
    void offer(std::size_t count) {
        {
            std::lock_guard lock(mutex_);
            if (count <= offered_) return;
            offered_ = count;
            if (offered_ - next_ >= Batch && pool_.size() < maxHelpers_) pool_.emplace_back([this] { help(); });
        }
        ready_.notify_one();
    }

    // Calls each(i) on the offered items that no helper has taken and returns once every offered
    // call has ended.
    void wait() {
        std::unique_lock lock(mutex_);
        for (std::size_t begin, end; take(begin, end);) {
            lock.unlock();
            run(begin, end);
            lock.lock();
        }
        idle_.wait(lock, [this] { return next_ == offered_ && busy_ == 0; });
    }

    // Offers the items below count, waits for them all and lets the helpers go.
    void finish(std::size_t count) {
        offer(count);
        wait();
        stop();
    }

private:
    void run(std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) each_(i);
        std::lock_guard lock(mutex_);
        if (--busy_ == 0 && next_ == offered_) idle_.notify_all();
    }

    // With the lock held: the next batch, counted as running; false when none is left.
    bool take(std::size_t& begin, std::size_t& end) {
        if (next_ == offered_) return false;
        begin = next_;
        end = next_ = std::min(offered_, next_ + Batch);
        ++busy_;
        return true;
    }

    void help() {
        std::unique_lock lock(mutex_);
        for (std::size_t begin, end;;) {
            ready_.wait(lock, [this] { return closing_ || next_ < offered_; });
            if (!take(begin, end)) return;  // closing, nothing left
            lock.unlock();
            run(begin, end);
            lock.lock();
        }
    }

    void stop() {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
        }
        ready_.notify_all();
        for (auto& t : pool_) t.join();
        pool_.clear();
    }

    Each each_;
    const std::size_t maxHelpers_;
    std::mutex mutex_;
    std::condition_variable ready_, idle_;
    std::size_t offered_ = 0, next_ = 0, busy_ = 0;
    bool closing_ = false;
    std::vector<std::thread> pool_;
};

}  // namespace platform
