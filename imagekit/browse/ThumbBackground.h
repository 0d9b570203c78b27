#pragma once
// Thumbnails made on one worker thread beside the window: the pages are made in the order
// given, each result is queued and announced through a callback (which posts to the window
// thread), and the window takes them one by one. Cancelling stops the worker between pages,
// waits for it and frees every thumbnail not taken; a generation number tells announcements
// of an earlier run from the current one.

#include "browse/ThumbBatch.h"
#include "ik7kit.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

struct ThumbMade {
    QString path;
    std::int32_t page = 0;
    IKHANDLE thumb = 0;  // 0 when the page could not be made
};

class ThumbBackground {
public:
    // Called on the worker thread after each result is queued, with the run's generation.
    using Announce = std::function<void(std::uint64_t generation)>;

    ThumbBackground() = default;
    ThumbBackground(const ThumbBackground&) = delete;
    ThumbBackground& operator=(const ThumbBackground&) = delete;
    ~ThumbBackground() { cancel(); }

    // Cancels any run, then makes the jobs in order on one thread; the new run's generation.
    std::uint64_t start(std::vector<ThumbJob> jobs, std::int16_t imageSize, Announce announce);
    // Stops the worker after the page it is making, waits for it and frees what was not taken.
    void cancel();
    // The next result of the current run in job order; false when none is waiting.
    bool takeNext(ThumbMade& out);
    // The page was made elsewhere: the worker leaves it out if it has not reached it yet.
    void skip(const QString& path, std::int32_t page);
    // Whether the current run still has pages to make or results not taken.
    bool pending() const;
    std::uint64_t generation() const { return generation_; }

private:
    static QString key(const QString& path, std::int32_t page) { return path + QLatin1Char('\n') + QString::number(page); }
    void run(std::vector<ThumbJob> jobs, std::int16_t imageSize, std::uint64_t generation, Announce announce);

    std::thread worker_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> working_{false};
    std::uint64_t generation_ = 0;  // read and written on the owner's thread only
    mutable std::mutex mutex_;      // guards made_ and skipped_
    std::deque<ThumbMade> made_;
    QSet<QString> skipped_;
};
