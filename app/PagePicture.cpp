#include "app/PagePicture.h"

#include "Ikdllprocs.h"
#include "browse/IkThumbMaker.h"
#include "browse/SlideGeometry.h"

#include <algorithm>
#include <chrono>

#include <sys/resource.h>
#include <unistd.h>

namespace app {

namespace {

constexpr int kPictureNiceness = 10;
constexpr std::chrono::milliseconds kPictureDelay{100};
constexpr std::chrono::milliseconds kLeastPictureSpacing{400};

// The picture and the decode generation of the worker thread's current decode, for the
// kit's progress callback, which carries no context of its own.
thread_local const std::atomic<std::uint64_t>* currentGeneration = nullptr;
thread_local std::uint64_t decodeGeneration = 0;

bool isRaster(IKHANDLE image, IKIMAGEINFO& info) {
    return Ikdllprocs::IkGetImageType && Ikdllprocs::IkGetImageType(image, &info) && info.kind == IK_KIND_RASTER;
}

}  // namespace

void freePicture(IKHANDLE image) {
    if (image && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(image);
}

IKHANDLE decodeFittedPage(const QString& path, int page, QSize area, IKPROGRESSPROC progress) {
    if (page < 0 || !Ikdllprocs::IkFileType) return 0;
    const QByteArray p = path.toUtf8();
    IKFILEINFO facts{};
    if (!Ikdllprocs::IkFileType(p.constData(), page, &facts)) return 0;
    const SlideSize fit = GetImageSize(area.width(), area.height(), facts.width, facts.height);
    if (fit.width < 1 || fit.height < 1) return 0;

    IKHANDLE image = 0;
    // A page larger than the area is decoded no smaller than its fitted size where its
    // coding allows (scaled JPEG, grey-averaged bilevel rows, fewer resolution levels).
    if (Ikdllprocs::IkFileLoadReduced && (fit.width < facts.width || fit.height < facts.height))
        image = Ikdllprocs::IkFileLoadReduced(p.constData(), page, fit.width, fit.height, progress);
    else if (Ikdllprocs::IkFileLoad)
        image = Ikdllprocs::IkFileLoad(p.constData(), page, 0, 0, progress, nullptr, nullptr, nullptr);
    if (!image) return 0;

    IKIMAGEINFO info{};
    if (!isRaster(image, info)) {
        freePicture(image);
        return 0;
    }
    if (info.width == fit.width && info.height == fit.height) return image;
    // Shrunk by area averaging (a bilevel page becomes grey, so thin strokes stay visible).
    const IKHANDLE small = ShrinkToThumbnail(image, 0, IkThumbSize{fit.width, fit.height});
    if (!small) return image;
    freePicture(image);
    return small;
}

PagePicture::PagePicture(Ready ready) : ready_(std::move(ready)) {}

PagePicture::~PagePicture() {
    {
        std::lock_guard guard(mutex_);
        stopping_ = true;
        ++generation_;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
    freePicture(finished_);
}

void PagePicture::request(const QString& path, int page, QSize area) {
    {
        std::lock_guard guard(mutex_);
        if (!waiting_) waitingSince_ = std::chrono::steady_clock::now();
        waiting_ = Request{path, page, area};
        if (!worker_.joinable()) worker_ = std::thread(&PagePicture::run, this);
    }
    wake_.notify_all();
}

IKHANDLE PagePicture::take() {
    std::lock_guard guard(mutex_);
    const IKHANDLE picture = finished_;
    finished_ = 0;
    return picture;
}

void PagePicture::drop() {
    std::lock_guard guard(mutex_);
    waiting_.reset();
    ++generation_;
    freePicture(finished_);
    finished_ = 0;
}

bool PagePicture::pending() const {
    std::lock_guard guard(mutex_);
    return waiting_ || decoding_ || finished_;
}

std::int32_t PagePicture::keepGoing(std::int32_t) {
    return currentGeneration && currentGeneration->load() == decodeGeneration ? -1 : 0;
}

void PagePicture::run() {
    currentGeneration = &generation_;
    // The picture only accompanies the job: on a machine whose cores the job keeps busy, the
    // job goes first and the picture takes what is left.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kPictureNiceness);
    std::unique_lock lock(mutex_);
    std::optional<std::chrono::steady_clock::time_point> lastStart;
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || waiting_; });
        // A picture waits a moment, so that a run over before anyone could look at it
        // costs no decoding, and pictures follow one another no faster than a person could
        // look at them; the newest request made meanwhile is the one decoded.
        auto start = waitingSince_ + kPictureDelay;
        if (lastStart) start = std::max(start, *lastStart + kLeastPictureSpacing);
        wake_.wait_until(lock, start, [this] { return stopping_ || !waiting_; });
        if (stopping_) break;
        if (!waiting_) continue;
        lastStart = std::chrono::steady_clock::now();
        const Request request = std::move(*waiting_);
        waiting_.reset();
        decoding_ = true;
        const std::uint64_t generation = generation_;
        decodeGeneration = generation;
        lock.unlock();
        const IKHANDLE picture = decodeFittedPage(request.path, request.page, request.area, &PagePicture::keepGoing);
        lock.lock();
        decoding_ = false;
        if (generation != generation_) {
            // Dropped while it was decoded.
            freePicture(picture);
            continue;
        }
        // A page that cannot be read leaves the picture as it was.
        if (!picture) continue;
        freePicture(finished_);
        finished_ = picture;
        if (ready_) {
            lock.unlock();
            ready_();
            lock.lock();
        }
    }
    currentGeneration = nullptr;
}

}  // namespace app
