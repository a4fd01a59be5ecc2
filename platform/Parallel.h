#pragma once
// Work on many independent items that mostly waits on the file system: spread over the
// processors in batches, and on the calling thread alone when there are too few to be worth a
// thread.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace platform {

// Calls each(i) once for every i below count; the calls may run at once on several threads.
template <class Each>
void forEachInParallel(std::size_t count, const Each& each) {
    constexpr std::size_t Batch = 512;
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t begin; (begin = next.fetch_add(Batch)) < count;)
            for (std::size_t i = begin; i < std::min(count, begin + Batch); ++i) each(i);
    };
    const std::size_t helpers = std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), count / Batch);
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < helpers; ++t) pool.emplace_back(work);
    work();
    for (auto& t : pool) t.join();
}

}  // namespace platform
