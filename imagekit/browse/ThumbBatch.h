#pragma once
// Thumbnails made ahead on every core: the browser hands in the pages it will need next,
// they are made in parallel, and the browser takes each one when its turn comes, so that
// its events keep their order on the window thread.

#include "ik7kit.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <vector>

struct ThumbJob {
    QString path;
    std::int32_t page = 0;
};

// Makes the thumbnails of jobs on up to `threads` threads (0: one per core); result i is
// job i's thumbnail or 0.
std::vector<IKHANDLE> MakeThumbnailsInParallel(const std::vector<ThumbJob>& jobs, std::int16_t imageSize,
                                               unsigned threads = 0);

class ThumbBatch {
public:
    ThumbBatch() = default;
    ThumbBatch(const ThumbBatch&) = delete;
    ThumbBatch& operator=(const ThumbBatch&) = delete;
    ~ThumbBatch() { clear(); }

    // Makes the thumbnails of the jobs not made yet, in parallel; failures are kept as
    // made (0), so that a page is tried once.
    void make(const std::vector<ThumbJob>& jobs, std::int16_t imageSize);
    // Keeps a thumbnail made elsewhere (0: the page failed) until it is taken; one already
    // kept for the page is freed.
    void put(const QString& path, std::int32_t page, IKHANDLE thumb);
    bool has(const QString& path, std::int32_t page) const { return made_.contains(key(path, page)); }
    // The thumbnail made for the page, handed over (0 when it failed); `found` tells whether
    // it was made at all.
    IKHANDLE take(const QString& path, std::int32_t page, bool& found);
    // Frees every thumbnail not taken.
    void clear();

private:
    static QString key(const QString& path, std::int32_t page) { return path + QLatin1Char('\n') + QString::number(page); }
    QHash<QString, IKHANDLE> made_;
};
