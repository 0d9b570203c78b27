#include "browse/ThumbBatch.h"

#include "Ikdllprocs.h"
#include "browse/IkThumbMaker.h"

#include <algorithm>
#include <atomic>
#include <thread>

std::vector<IKHANDLE> MakeThumbnailsInParallel(const std::vector<ThumbJob>& jobs, std::int16_t imageSize,
                                               unsigned threads) {
    std::vector<IKHANDLE> out(jobs.size(), 0);
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, jobs.size()));
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) out[i] = MakeThumbnail(jobs[i].path, jobs[i].page, imageSize);
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();
    return out;
}

void ThumbBatch::make(const std::vector<ThumbJob>& jobs, std::int16_t imageSize) {
    std::vector<ThumbJob> fresh;
    for (const ThumbJob& job : jobs)
        if (!has(job.path, job.page) &&
            std::none_of(fresh.begin(), fresh.end(),
                         [&](const ThumbJob& f) { return f.path == job.path && f.page == job.page; }))
            fresh.push_back(job);
    const std::vector<IKHANDLE> thumbs = MakeThumbnailsInParallel(fresh, imageSize);
    for (std::size_t i = 0; i < fresh.size(); ++i) made_.insert(key(fresh[i].path, fresh[i].page), thumbs[i]);
}

void ThumbBatch::put(const QString& path, std::int32_t page, IKHANDLE thumb) {
    bool found = false;
    const IKHANDLE old = take(path, page, found);
    if (old && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(old);
    made_.insert(key(path, page), thumb);
}

IKHANDLE ThumbBatch::take(const QString& path, std::int32_t page, bool& found) {
    const auto it = made_.find(key(path, page));
    found = it != made_.end();
    if (!found) return 0;
    const IKHANDLE thumb = it.value();
    made_.erase(it);
    return thumb;
}

void ThumbBatch::clear() {
    for (const IKHANDLE thumb : std::as_const(made_))
        if (thumb && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(thumb);
    made_.clear();
}
