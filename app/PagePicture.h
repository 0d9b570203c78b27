#pragma once
// The picture of one file page for a small display, decoded beside the job on one worker
// thread: at reduced size where the page's coding allows, then shrunk to fit the area.
// Only the newest request counts: a request replaces the one still waiting, and a picture
// finished while an earlier one waits to be taken replaces it. Every image made here is
// freed here unless it was taken.

#include "ik7kit.h"

#include <QSize>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace app {

// Page `page` (from 0) of `path` as a raster image no larger than area, never enlarged;
// 0 when the kit cannot read it or `progress` answers stop. Safe on any thread while
// the kit is attached.
IKHANDLE decodeFittedPage(const QString& path, int page, QSize area, IKPROGRESSPROC progress = nullptr);

// Frees an image made by the kit; 0 is ignored.
void freePicture(IKHANDLE image);

class PagePicture {
public:
    // Called on the worker thread each time a picture is ready to be taken.
    using Ready = std::function<void()>;

    explicit PagePicture(Ready ready = {});
    ~PagePicture();
    PagePicture(const PagePicture&) = delete;
    PagePicture& operator=(const PagePicture&) = delete;

    // Asks for page `page` of `path` fitted into `area`; replaces the request still waiting.
    void request(const QString& path, int page, QSize area);
    // The newest finished picture, the caller's from now on; 0 when none is waiting.
    IKHANDLE take();
    // Forgets the waiting request and the picture not taken; a decode under way is stopped
    // and its image freed.
    void drop();
    // Whether a request waits, is being decoded, or its picture waits to be taken.
    bool pending() const;

private:
    struct Request {
        QString path;
        int page = 0;
        QSize area;
    };
    void run();
    static std::int32_t keepGoing(std::int32_t percent);

    Ready ready_;
    mutable std::mutex mutex_;  // guards waiting_, waitingSince_, decoding_, finished_ and stopping_
    std::condition_variable wake_;
    std::optional<Request> waiting_;
    std::chrono::steady_clock::time_point waitingSince_;  // when the waiting request came
    bool decoding_ = false;
    IKHANDLE finished_ = 0;
    bool stopping_ = false;
    // Raised by drop() and on shutdown; a decode started under an earlier value is abandoned.
    std::atomic<std::uint64_t> generation_{0};
    std::thread worker_;
};

}  // namespace app
