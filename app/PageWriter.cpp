#include "app/PageWriter.h"

#include "platform/GlobalMemory.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <chrono>
#include <utility>

namespace app {

PageWriter::PageWriter(Save save, Release release, std::uint64_t mostWaitingBytes, std::function<void()> turn)
    : save_(std::move(save)), release_(std::move(release)), turn_(std::move(turn)), mostWaitingBytes_(mostWaitingBytes),
      thread_([this] { work(); }) {}

PageWriter::~PageWriter() { finishQuietly(); }

void PageWriter::finishQuietly() noexcept {
    try {
        finish();
    } catch (...) {
        // A save's exception was not asked for; the pages are written or given up already.
    }
}

void PageWriter::submit(int ordinal, IKHANDLE page) {
    const std::uint64_t bytes = platform::globalSize(page);
    std::unique_lock lock(mutex_);
    releaseDone(lock);
    // One page always fits, so a page larger than the bound still goes through.
    waitTurningEvents(lock, [&] { return waiting_.empty() || waitingBytes_ + bytes <= mostWaitingBytes_; });
    waiting_.push_back({ordinal, page, bytes});
    waitingBytes_ += bytes;
    changed_.notify_all();
}

void PageWriter::waitUntilIdle() {
    std::unique_lock lock(mutex_);
    waitTurningEvents(lock, [&] { return waiting_.empty() && !writing_; });
    releaseDone(lock);
}

PageWriter::Results PageWriter::finish() {
    std::unique_lock lock(mutex_);
    if (thread_.joinable()) {
        closing_ = true;
        changed_.notify_all();
        waitTurningEvents(lock, [&] { return waiting_.empty() && !writing_; });
        lock.unlock();
        thread_.join();
        lock.lock();
    }
    releaseDone(lock);
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    return results_;
}

void PageWriter::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return closing_ || !waiting_.empty(); });
        if (waiting_.empty()) return;
        const Page page = waiting_.front();
        writing_ = true;
        lock.unlock();
        bool written = false;
        std::exception_ptr failure;
        try {
            written = save_(page.ordinal, page.image);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        waiting_.pop_front();
        waitingBytes_ -= page.bytes;
        writing_ = false;
        done_.push_back(page.image);
        if (written) ++results_.written;
        else results_.notWritten.append(page.ordinal);
        if (failure && !failure_) failure_ = failure;
        changed_.notify_all();
    }
}

void PageWriter::waitTurningEvents(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready) {
    using namespace std::chrono_literals;
    while (!ready()) {
        // Waits in short steps and lets the window paint and answer between them.
        if (changed_.wait_for(lock, 10ms, ready)) return;
        releaseDone(lock);
        lock.unlock();
        if (turn_) turn_();
        else if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        lock.lock();
    }
}

void PageWriter::releaseDone(std::unique_lock<std::mutex>& lock) {
    std::vector<IKHANDLE> done;
    done.swap(done_);
    lock.unlock();
    for (IKHANDLE page : done)
        if (page) release_(page);
    lock.lock();
}

}  // namespace app
