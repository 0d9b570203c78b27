#pragma once
// A small pool: work(i) for every task index on a few std::threads, the caller one of them.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

namespace kit {

// Runs work(i) for every i below `count` on up to `threads` threads, the caller one of them.
// Tasks are taken in order; fewer threads (none could be started) only make it slower.
inline void runTasks(std::size_t count, unsigned threads, const std::function<void(std::size_t)>& work) {
    std::atomic<std::size_t> next{0};
    auto loop = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < count;) work(i);
    };
    const std::size_t extra = std::min<std::size_t>(threads, count) - (count > 0 ? 1 : 0);
    std::vector<std::thread> pool;
    pool.reserve(extra);
    try {
        for (std::size_t i = 0; i < extra; ++i) pool.emplace_back(loop);
    } catch (const std::system_error&) {
    }
    loop();
    for (std::thread& t : pool) t.join();
}

}  // namespace kit
