#pragma once
// Appends scanned pages to the output file on a thread of its own, in the order they were
// handed over, so that encoding a page stalls neither the window nor the device. Pages wait
// in a queue bounded by their bytes; past the bound, handing over waits for the writer
// while the event loop goes on.

#include "ik7kit.h"

#include <QList>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace app {

class PageWriter {
public:
    // `save` runs on the writer's thread and tells whether page `ordinal` was appended;
    // `release` frees a handed-over page and runs on the thread that hands pages over. A page
    // may be handed over without an image (0) when `save` knows how to write it by its ordinal.
    using Save = std::function<bool(int ordinal, IKHANDLE page)>;
    using Release = std::function<void(IKHANDLE page)>;

    // While the handing-over thread waits, `turn` runs every few milliseconds; by default it
    // lets the event loop paint and answer.
    PageWriter(Save save, Release release, std::uint64_t mostWaitingBytes, std::function<void()> turn = {});
    ~PageWriter();
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;

    // Queues page `ordinal` (1-based scan order); the writer owns it from here.
    void submit(int ordinal, IKHANDLE page);
    // Waits, turning events, until every queued page is written.
    void waitUntilIdle();

    struct Results {
        int written = 0;
        // Ordinals of the pages that could not be appended.
        QList<int> notWritten;
    };
    // Waits until every queued page is written and the thread has ended; rethrows an
    // exception a save raised (after the later pages were still tried).
    Results finish();
    // The same while a failure of the caller's own unwinds: a save's exception is dropped.
    void finishQuietly() noexcept;

private:
    struct Page {
        int ordinal;
        IKHANDLE image;
        std::uint64_t bytes;
    };
    void work();
    // Runs the event loop until `ready` holds; the lock is held while `ready` is asked.
    void waitTurningEvents(std::unique_lock<std::mutex>& lock, const std::function<bool()>& ready);
    void releaseDone(std::unique_lock<std::mutex>& lock);

    Save save_;
    Release release_;
    std::function<void()> turn_;
    const std::uint64_t mostWaitingBytes_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Page> waiting_;
    std::uint64_t waitingBytes_ = 0;
    bool writing_ = false;
    bool closing_ = false;
    std::vector<IKHANDLE> done_;
    Results results_;
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace app
