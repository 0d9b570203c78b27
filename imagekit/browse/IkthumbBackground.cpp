// How TVIkThumb makes the thumbnails after the visible ones beside the window: one worker
// thread makes them in entry order, and each is taken on the window thread through a posted
// event, with the same events and bookkeeping as a thumbnail made while painting.
#include "browse/Ikthumb.h"

#include "Ikdllprocs.h"
#include "browse/IkFileNames.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

namespace {

// How long a background thumbnail waits when another one is being taken (a handler of the
// load events running a nested event loop).
constexpr int kRetryMs = 10;

// Posted by the worker for each thumbnail it queued; the event is made by the worker and
// deleted by the window thread, handed over through Qt's locked event queue.
class ThumbMadeEvent : public QEvent {
public:
    explicit ThumbMadeEvent(std::uint64_t generation) : QEvent(type()), generation(generation) {}
    static QEvent::Type type() {
        static const auto registered = static_cast<QEvent::Type>(QEvent::registerEventType());
        return registered;
    }
    const std::uint64_t generation;
};

}  // namespace

void TVIkThumb::Stop() {
    stop_ = true;
    stopBackground();
}

void TVIkThumb::stopBackground() { background_.cancel(); }

void TVIkThumb::startBackground() {
    std::vector<ThumbJob> jobs;
    for (const TIKSORTDATA& e : entries_)
        if (!e.Thumb) jobs.push_back({IkBrowse::joinPath(e.PathName, e.FileName), e.Page});
    backgroundCursor_ = 0;
    ThumbMadeEvent::type();  // registered on this thread before the worker posts
    background_.start(std::move(jobs), listing_.ImageSize, [this](std::uint64_t generation) {
        QCoreApplication::postEvent(this, new ThumbMadeEvent(generation));
    });
}

bool TVIkThumb::event(QEvent* event) {
    if (event->type() != ThumbMadeEvent::type()) return QWidget::event(event);
    takeBackgroundThumbnail(static_cast<ThumbMadeEvent*>(event)->generation);
    return true;
}

void TVIkThumb::takeBackgroundThumbnail(std::uint64_t generation) {
    if (generation != background_.generation()) return;  // a run stopped since: its list is gone
    if (takingBackground_) {
        QTimer::singleShot(kRetryMs, this, [this, generation] { takeBackgroundThumbnail(generation); });
        return;
    }
    ThumbMade made;
    if (!background_.takeNext(made)) return;
    // The entry the page belongs to, searched from the last one taken: entries may have been
    // removed, moved or made while painting meanwhile.
    int index = -1;
    for (int k = 0; k < Count() && index < 0; ++k) {
        const int i = (backgroundCursor_ + k) % Count();
        const TIKSORTDATA& e = entries_[static_cast<std::size_t>(i)];
        if (!e.Thumb && e.Page == made.page && IkBrowse::joinPath(e.PathName, e.FileName) == made.path) index = i;
    }
    if (index < 0 || stop_) {
        if (made.thumb && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(made.thumb);
        return;
    }
    takingBackground_ = true;
    const int visibleEnd = StartNum_ + static_cast<int>(grid_.tiles.size());
    batch_.put(made.path, made.page, made.thumb);
    const bool ok = GetThumbnailImage(index);
    backgroundCursor_ = ok ? index + 1 : index;  // a failed entry was removed: the next moved up
    takingBackground_ = false;
    if (index < visibleEnd) update();
}
