#include "browse/ThumbBackground.h"

#include "Ikdllprocs.h"
#include "browse/IkThumbMaker.h"

namespace {

void freeThumb(IKHANDLE thumb) {
    if (thumb && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(thumb);
}

}  // namespace

std::uint64_t ThumbBackground::start(std::vector<ThumbJob> jobs, std::int16_t imageSize, Announce announce) {
    cancel();
    cancelled_ = false;
    working_ = !jobs.empty();
    if (jobs.empty()) return generation_;
    worker_ = std::thread(&ThumbBackground::run, this, std::move(jobs), imageSize, generation_, std::move(announce));
    return generation_;
}

void ThumbBackground::run(std::vector<ThumbJob> jobs, std::int16_t imageSize, std::uint64_t generation,
                          Announce announce) {
    for (const ThumbJob& job : jobs) {
        if (cancelled_) break;
        {
            std::lock_guard guard(mutex_);
            if (skipped_.contains(key(job.path, job.page))) continue;
        }
        const IKHANDLE thumb = MakeThumbnail(job.path, job.page, imageSize);
        {
            std::lock_guard guard(mutex_);
            if (cancelled_) {
                freeThumb(thumb);
                break;
            }
            made_.push_back({job.path, job.page, thumb});
        }
        announce(generation);
    }
    working_ = false;
}

void ThumbBackground::cancel() {
    cancelled_ = true;
    if (worker_.joinable()) worker_.join();
    working_ = false;
    ++generation_;
    std::lock_guard guard(mutex_);
    for (const ThumbMade& m : made_) freeThumb(m.thumb);
    made_.clear();
    skipped_.clear();
}

bool ThumbBackground::takeNext(ThumbMade& out) {
    std::lock_guard guard(mutex_);
    if (made_.empty()) return false;
    out = std::move(made_.front());
    made_.pop_front();
    return true;
}

void ThumbBackground::skip(const QString& path, std::int32_t page) {
    if (!working_) return;
    std::lock_guard guard(mutex_);
    skipped_.insert(key(path, page));
}

bool ThumbBackground::pending() const {
    if (working_) return true;
    std::lock_guard guard(mutex_);
    return !made_.empty();
}
