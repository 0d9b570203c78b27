#include "Acquisition.h"

#include "ScanStatus.h"
#include "platform/GlobalMemory.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QThread>

#include <cerrno>
#include <chrono>
#include <vector>

#include <poll.h>

namespace scan {

namespace {
constexpr std::size_t kReadBlock = 64 * 1024;
}

struct Acquisition::Event {
    enum Kind { PageBegin, FrameBegin, Block, FrameEnd, PageEnd, Progress, Finished } kind;
    FrameFormat frame{};
    std::vector<std::uint8_t> bytes{};
    IKHANDLE dib = 0;
    int percent = 0;
};

Acquisition::Acquisition(SANE_Handle handle, AcquisitionSettings settings, AcquisitionCallbacks callbacks)
    : handle_(handle), settings_(std::move(settings)), callbacks_(callbacks) {}

Acquisition::~Acquisition() {
    if (worker_.joinable()) {
        stop();
        answer(false);
        worker_.join();
    }
    for (Event& e : events_)
        if (e.dib) platform::globalFree(e.dib);
}

void Acquisition::start(AcquisitionObserver* observer) {
    observer_ = observer;
    QCoreApplication* app = QCoreApplication::instance();
    if (app) receiver_ = std::make_unique<QObject>();
    worker_ = std::thread([this] { work(); });
}

void Acquisition::runToEnd() {
    if (receiver_) {
        QEventLoop loop;
        quitLoop_ = [&loop] { loop.quit(); };
        drain();
        if (!finished_) loop.exec();
        quitLoop_ = nullptr;
        return;
    }
    while (!finished_) {
        {
            std::unique_lock lock(mutex_);
            eventReady_.wait(lock, [this] { return !events_.empty(); });
        }
        drain();
    }
}

void Acquisition::stop(std::uint16_t status) {
    if (!stopped_.exchange(true)) {
        if (status_ == IK_OK) status_ = status;
    }
    cancelDevice();
    answer(false);
}

// ---- worker thread ----------------------------------------------------------------------

void Acquisition::post(Event event) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    eventReady_.notify_one();
    if (receiver_) QMetaObject::invokeMethod(receiver_.get(), [this] { drain(); }, Qt::QueuedConnection);
}

bool Acquisition::waitAnswer() {
    std::unique_lock lock(mutex_);
    answerReady_.wait(lock, [this] { return answered_ || stopped_; });
    const bool goOn = answered_ && answerGoOn_ && !stopped_;
    answered_ = false;
    return goOn;
}

void Acquisition::answer(bool goOn) {
    {
        std::lock_guard lock(mutex_);
        answered_ = true;
        answerGoOn_ = goOn;
    }
    answerReady_.notify_all();
}

void Acquisition::failDevice(SANE_Status status) {
    workerFailure_ = status;
    workerStatus_ = statusOf(status);
}

bool Acquisition::readFrame(PageAssembler* assembler, const FrameFormat& frame) {
    std::vector<std::uint8_t> buffer(kReadBlock);
    int lastPercent = -1;
    for (;;) {
        if (stopped_) return false;
        SANE_Int length = 0;
        const SANE_Status status = sane_read(handle_, buffer.data(), static_cast<SANE_Int>(buffer.size()), &length);
        if (status == SANE_STATUS_EOF) {
            lastStart_ = 0;
            return true;
        }
        if (status != SANE_STATUS_GOOD) {
            if (!stopped_) failDevice(status);
            return false;
        }
        if (length <= 0) continue;
        if (assembler) {
            if (!assembler->append(buffer.data(), static_cast<std::size_t>(length))) {
                workerStatus_ = assembler->status();
                return false;
            }
            if (const int percent = assembler->percent(); percent != lastPercent) {
                lastPercent = percent;
                post(Event{Event::Progress, frame, {}, 0, percent});
            }
        } else {
            post(Event{Event::Block, frame, std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + length)});
        }
    }
}

void Acquisition::work() {
    int pages = 0;
    while (!stopped_ && (settings_.transferCount <= 0 || pages < settings_.transferCount)) {
        std::unique_ptr<PageAssembler> page;
        if (!settings_.memoryTransfer) page = std::make_unique<PageAssembler>();
        bool firstFrame = true;
        bool pageDone = false;
        while (!pageDone) {
            SANE_Status status = sane_start(handle_);
            // A started frame has a reader until its end of data (see cancelDevice).
            if (status == SANE_STATUS_GOOD) lastStart_ = std::chrono::steady_clock::now().time_since_epoch().count();
            if (status != SANE_STATUS_GOOD) {
                // An empty feeder after at least one page is the normal end of a batch.
                if (!(status == SANE_STATUS_NO_DOCS && firstFrame && pages > 0) && !stopped_) failDevice(status);
                post(Event{Event::Finished});
                return;
            }
            SANE_Parameters p{};
            status = sane_get_parameters(handle_, &p);
            if (status != SANE_STATUS_GOOD) {
                failDevice(status);
                post(Event{Event::Finished});
                return;
            }
            const FrameFormat frame{static_cast<int>(p.format), p.last_frame == SANE_TRUE, p.bytes_per_line,
                                    p.pixels_per_line, p.lines, p.depth};
            if (firstFrame) {
                post(Event{Event::PageBegin, frame});
                if (!waitAnswer()) {
                    post(Event{Event::Finished});
                    return;
                }
                firstFrame = false;
            }
            if (page) {
                if (!page->beginFrame(frame)) {
                    workerStatus_ = page->status();
                    post(Event{Event::Finished});
                    return;
                }
            } else {
                post(Event{Event::FrameBegin, frame});
            }
            if (!readFrame(page.get(), frame)) {
                post(Event{Event::Finished});
                return;
            }
            if (page) page->endFrame();
            else post(Event{Event::FrameEnd, frame});
            pageDone = frame.lastFrame || (page && page->complete());
        }
        Event end{Event::PageEnd};
        if (page) {
            end.dib = page->makeDib(settings_.xDpi, settings_.yDpi);
            if (!end.dib) {
                workerStatus_ = page->status();
                post(Event{Event::Finished});
                return;
            }
        }
        post(std::move(end));
        if (!waitAnswer()) break;
        ++pages;
        if (!settings_.feeder) break;
    }
    post(Event{Event::Finished});
}

// ---- calling thread ---------------------------------------------------------------------

void Acquisition::drain() {
    // A callback that runs a nested event loop must not deliver the next event inside it.
    if (draining_) return;
    draining_ = true;
    for (;;) {
        Event event;
        {
            std::lock_guard lock(mutex_);
            if (events_.empty()) break;
            event = std::move(events_.front());
            events_.pop_front();
        }
        handle(event);
        if (event.dib) platform::globalFree(event.dib);
    }
    draining_ = false;
}

void Acquisition::handle(Event& event) {
    if (finished_) return;
    const bool live = !stopped_;
    switch (event.kind) {
        case Event::PageBegin: {
            if (!live) return;
            IKSCANBEFORE next{};
            next.xResolution = static_cast<float>(settings_.xDpi / settings_.unitsPerInch);
            next.yResolution = static_cast<float>(settings_.yDpi / settings_.unitsPerInch);
            next.width = event.frame.pixelsPerLine;
            next.height = event.frame.lines;
            const bool lineArt = event.frame.format == 0 && event.frame.depth == 1;
            next.bitsPerPixel = static_cast<std::int16_t>(lineArt ? 1 : event.frame.format == 0 ? 8 : 24);
            next.pixelType = static_cast<std::uint8_t>(lineArt ? 0 : event.frame.format == 0 ? 1 : 2);
            if (settings_.memoryTransfer) callerPage_ = std::make_unique<PageAssembler>();
            if (callbacks_.before && callbacks_.before(&next, images_ + 1) == 0) return stop();
            answer(true);
            return;
        }
        case Event::FrameBegin:
            if (live && callerPage_ && !callerPage_->beginFrame(event.frame)) stop(callerPage_->status());
            return;
        case Event::Block:
            if (!live || !callerPage_) return;
            if (!callerPage_->append(event.bytes.data(), event.bytes.size())) return stop(callerPage_->status());
            if (observer_) observer_->acquisitionProgress(callerPage_->percent());
            if (callbacks_.progress && callbacks_.progress(callerPage_->percent()) == 0) stop();
            return;
        case Event::Progress:
            if (live && observer_) observer_->acquisitionProgress(event.percent);
            return;
        case Event::FrameEnd:
            if (live && callerPage_) callerPage_->endFrame();
            return;
        case Event::PageEnd: {
            if (!live) return;
            IKHANDLE dib = event.dib;
            if (!dib && callerPage_) {
                if (callbacks_.progress && callbacks_.progress(100) == 0) return stop();
                dib = event.dib = callerPage_->makeDib(settings_.xDpi, settings_.yDpi);
                if (!dib) return stop(callerPage_->status());
            }
            callerPage_.reset();
            ++images_;
            if (observer_) observer_->acquisitionProgress(100);
            // The bitmap rows are stored most significant bit first.
            if (callbacks_.after && callbacks_.after(dib, dib, images_, 1) == 0) return stop();
            answer(true);
            return;
        }
        case Event::Finished:
            finish();
            return;
    }
}

// Backends that read the device in a thread of their own stop that thread asynchronously
// on sane_cancel; a thread stopped while it is still setting up (allocating its buffers)
// can leave the allocator locked and hang the program. A cancel that follows a start
// (a failure on the first read, a stop answered before the page) therefore waits until
// the reader has delivered data, when the backend offers a descriptor to watch, or else
// until the start is kReaderSettle old.
void Acquisition::cancelDevice() {
    if (cancelled_.exchange(true)) return;
    if (lastStart_.load() != 0) waitForReaderStart();
    sane_cancel(handle_);
}

void Acquisition::waitForReaderStart() {
    constexpr std::chrono::milliseconds kReaderSettle{100};
    constexpr int kMostReaderWaitMs = 2000;
    SANE_Int descriptor = -1;
    if (sane_get_select_fd(handle_, &descriptor) == SANE_STATUS_GOOD && descriptor >= 0) {
        pollfd watched{descriptor, POLLIN, 0};
        while (::poll(&watched, 1, kMostReaderWaitMs) < 0 && errno == EINTR) {
        }
        return;
    }
    const std::chrono::steady_clock::time_point started{std::chrono::steady_clock::duration{lastStart_.load()}};
    std::this_thread::sleep_until(started + kReaderSettle);
}

void Acquisition::finish() {
    if (worker_.joinable()) worker_.join();
    // Ends the device's batch, also after a normal end.
    cancelDevice();
    if (status_ == IK_OK && workerStatus_ != IK_OK) status_ = workerStatus_;
    if (workerFailure_ != SANE_STATUS_GOOD) recordDeviceFailure(workerFailure_, settings_.deviceName);
    finished_ = true;
    if (observer_) observer_->acquisitionFinished();
    if (quitLoop_) quitLoop_();
}

}  // namespace scan
