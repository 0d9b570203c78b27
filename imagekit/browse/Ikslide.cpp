#include "browse/Ikslide.h"

#include "Ikdllprocs.h"
#include "browse/IkFileNames.h"
#include "browse/IkSlideListing.h"
#include "browse/SlideFile.h"

#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <limits>

using namespace IkBrowse;

namespace {

void freeImage(IKHANDLE image) {
    if (image && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(image);
}

bool fileInfo(const QString& path, std::int32_t page, IKFILEINFO& info) {
    return Ikdllprocs::IkFileType && Ikdllprocs::IkFileType(path.toUtf8().constData(), page, &info) != IK_FALSE;
}

// A new image of exactly width × height (area averaging; 1-bit pages become grey), or 0.
IKHANDLE resized(IKHANDLE image, int width, int height) {
    if (!Ikdllprocs::IkResizeEx) return 0;
    const IKHANDLE in[2] = {image, 0};
    IKHANDLE out[2] = {0, 0};
    if (!Ikdllprocs::IkResizeEx(in, out, width, height, IK_FALSE, nullptr, nullptr, nullptr, nullptr)) return 0;
    freeImage(out[1]);
    return out[0];
}

}  // namespace

TVIkSlide::TVIkSlide(QWidget* parent) : QWidget(parent), attachment_(vikGroupSlide, IkAttachment::Reset::None) {
    resize(100, 100);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::ClickFocus);
    wipeTimer_.setInterval(kWipeStepMs);
    wipeTimer_.setTimerType(Qt::PreciseTimer);
    connect(&wipeTimer_, &QTimer::timeout, this, [this] { wipeStep(); });
    if (Ikdllprocs::IkVectorGdipStart) gdipToken_ = Ikdllprocs::IkVectorGdipStart();
}

TVIkSlide::~TVIkSlide() {
    abortWipe();
    stopShow();
    freeDisplay();
    FreeSortDataList(entries_);
    if (gdipToken_ && Ikdllprocs::IkVectorGdipEnd) Ikdllprocs::IkVectorGdipEnd(gdipToken_);
}

void TVIkSlide::SetFilePath(const QString& v) {
    FilePath_ = v;
    while (FilePath_.size() > 1 && FilePath_.endsWith(u'/')) FilePath_.chop(1);
}

// ---- events -------------------------------------------------------------------------

void TVIkSlide::DoEndSlide(std::int16_t number, const QString& path, const QString& name) {
    if (OnEndSlide) OnEndSlide(this, number, path, name);
}
void TVIkSlide::DoProgress(std::int16_t percent) {
    if (OnProgress) OnProgress(this, percent);
}
void TVIkSlide::DoStartSlide(std::int16_t number, const QString& path, const QString& name) {
    if (OnStartSlide) OnStartSlide(this, number, path, name);
}

// ---- the list -------------------------------------------------------------------------

bool TVIkSlide::Open() {
    if (open_) {
        ErrorCode_ = 11;
        return false;
    }
    abortWipe();
    freeDisplay();
    CurrentImage_ = 0;
    currentPath_.clear();
    currentPage_ = 0;
    lastDrawnValid_ = false;
    if (!buildList()) {
        FreeSortDataList(entries_);
        ErrorCode_ = 5;
        return false;
    }
    open_ = true;
    ErrorCode_ = 0;
    return true;
}

bool TVIkSlide::buildList() {
    if (FileReadWay_ != vikSlidefile) {
        IkSlideListSettings settings;
        settings.FilePath = FilePath_;
        settings.FileExt = FileExt_;
        settings.MultiImage = FileReadWay_ == vikFolderMultiImage;
        settings.Sort = Sort_;
        settings.SortDate = SortDate_;
        settings.SortOrder = SortOrder_;
        return ListSlideFolders(settings, entries_);
    }
    if (SlideFileName_.isEmpty() || !QFileInfo(SlideFileName_).isFile()) return false;
    QFile file(SlideFileName_);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const std::vector<SlideLine> lines = readSlideFile(file, [](const SlideLine& line) {
        IKFILEINFO info{};
        return !line.path.contains(QChar(0)) && QFileInfo(line.path).isFile() && fileInfo(line.path, line.page, info);
    });
    entries_.reserve(lines.size());
    for (const SlideLine& line : lines) {
        const QFileInfo at(line.path);
        TIKSORTDATA entry;
        entry.PathName = at.absolutePath();
        entry.FileName = at.fileName();
        entry.Page = line.page;
        setFileDate(entry, GetPathFileDateTime(line.path, vikSortDateLastWriteTime));
        entries_.push_back(entry);
    }
    return true;
}

bool TVIkSlide::Close() {
    abortWipe();
    stopShow();
    freeDisplay();
    if (!open_) {
        ErrorCode_ = 11;
        return false;
    }
    FreeSortDataList(entries_);
    open_ = false;
    lastDrawnValid_ = false;
    screenCurrent_ = false;
    update();
    ErrorCode_ = 0;
    return true;
}

void TVIkSlide::Clear() {
    abortWipe();
    stopShow();
    freeDisplay();
    FreeSortDataList(entries_);
    open_ = false;
    lastDrawnValid_ = false;
    screenCurrent_ = false;
    if (!screen_.isNull()) {
        QPainter p(&screen_);
        paintBackground(p);
        screenCurrent_ = true;
    }
    update();
}

void TVIkSlide::freeDisplay() {
    freeImage(display_);
    display_ = 0;
}

// ---- moving ---------------------------------------------------------------------------

void TVIkSlide::SetCurrentImage(int n) {
    completeWipe();
    CurrentImage_ = n < 0 ? 0 : n;
}

void TVIkSlide::rangeCurrent(std::int64_t index, bool wrap) {
    const std::int64_t count = Count();
    if (index < 0) index = wrap && Endless_ ? count - 1 : 0;
    if (index >= count) index = wrap && Endless_ ? 0 : count - 1;
    CurrentImage_ = static_cast<std::int32_t>(std::max<std::int64_t>(index, 0));
}

void TVIkSlide::setCurrentPath() {
    const TIKSORTDATA& e = entries_[static_cast<std::size_t>(CurrentImage_)];
    currentPath_ = joinPath(e.PathName, e.FileName);
    currentPage_ = e.Page;
}

bool TVIkSlide::sameAsLastDrawn() const {
    return lastDrawnValid_ && lastPath_ == currentPath_ && lastPage_ == currentPage_;
}

bool TVIkSlide::Start() {
    if (!open_) {
        ErrorCode_ = 11;
        return false;
    }
    abortWipe();
    stopShow();
    if (entries_.empty()) {
        ErrorCode_ = 6;
        return false;
    }
    rangeCurrent(CurrentImage_, false);
    setCurrentPath();
    if (!loadAndShow()) return false;
    if (IntervalTime_ > 0)
        showTimer_.start(static_cast<int>(std::min<std::int64_t>(std::int64_t{IntervalTime_} * 1000,
                                                                 std::numeric_limits<int>::max())),
                         this);
    return true;
}

bool TVIkSlide::Stop() {
    if (!open_) {
        ErrorCode_ = 11;
        return false;
    }
    stopShow();
    ErrorCode_ = 0;
    return true;
}

bool TVIkSlide::GoNext() { return step(1, false); }
bool TVIkSlide::GoBack() { return step(-1, false); }
bool TVIkSlide::GoTop() { return step(0, true); }
bool TVIkSlide::GoBottom() { return step(Count() - 1, true); }

bool TVIkSlide::step(int delta, bool absolute) {
    if (!open_ || showTimer_.isActive()) {
        ErrorCode_ = 11;
        return false;
    }
    abortWipe();
    if (entries_.empty()) {
        ErrorCode_ = 6;
        return false;
    }
    rangeCurrent(absolute ? delta : std::int64_t{CurrentImage_} + delta, !absolute);
    setCurrentPath();
    ErrorCode_ = 0;
    // The image already shown stays: nothing is loaded or drawn again.
    if (sameAsLastDrawn() && display_) return true;
    return loadAndShow();
}

bool TVIkSlide::loadAndShow() {
    freeDisplay();
    if (!LoadSlideFile()) {
        ErrorCode_ = 6;
        return false;
    }
    ErrorCode_ = 0;
    DisplaySlideImage();
    return true;
}

void TVIkSlide::timerEvent(QTimerEvent* event) {
    if (event->timerId() != showTimer_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    if (drawing_ || wipe_.active || entries_.empty()) return;
    const int before = CurrentImage_;
    rangeCurrent(std::int64_t{CurrentImage_} + 1, true);
    setCurrentPath();
    // The end of the list without Endless, or a list of one: the show ends by itself.
    if (sameAsLastDrawn()) {
        stopShow();
        return;
    }
    if (!loadAndShow() && CurrentImage_ == before) stopShow();
}

// ---- loading --------------------------------------------------------------------------

bool TVIkSlide::LoadSlideFile() {
    const int cw = width(), ch = height();
    if (cw < 5 || ch < 5 || currentPath_.isEmpty()) return false;
    IKFILEINFO info{};
    if (!fileInfo(currentPath_, currentPage_, info)) return false;
    const QByteArray path = currentPath_.toUtf8();
    const SlideSize fit = GetImageSize(cw, ch, info.width, info.height);
    IKHANDLE image = 0;
    // A page larger than the area is decoded no smaller than its fitted size where its
    // coding allows; the picture is the same as that of the whole page shrunk.
    if (Ikdllprocs::IkFileLoadReduced && fit.width > 0 && (fit.width < info.width || fit.height < info.height))
        image = Ikdllprocs::IkFileLoadReduced(path.constData(), currentPage_, fit.width, fit.height, nullptr);
    if (!image && Ikdllprocs::IkFileLoad)
        image = Ikdllprocs::IkFileLoad(path.constData(), currentPage_, 800, 600, nullptr, nullptr, nullptr, nullptr);
    if (!image) return false;
    IKIMAGEINFO ii{};
    if (!Ikdllprocs::IkGetImageType || !Ikdllprocs::IkGetImageType(image, &ii)) {
        freeImage(image);
        return false;
    }
    if (ii.kind != IK_KIND_RASTER) {
        // A vector image is rendered on the background colour first.
        const IKHANDLE raster = Ikdllprocs::IkVectorToRaster
                                    ? Ikdllprocs::IkVectorToRaster(image, 24, IK_TRUE, Color_ & 0xFF,
                                                                   (Color_ >> 8) & 0xFF, (Color_ >> 16) & 0xFF)
                                    : 0;
        freeImage(image);
        if (!raster || !Ikdllprocs::IkGetImageType(raster, &ii)) {
            freeImage(raster);
            return false;
        }
        image = raster;
    }
    // The fitted size of the whole page, whatever size the kit decoded it at.
    const SlideSize want = GetImageSize(cw, ch, info.width > 0 ? info.width : ii.width,
                                        info.height > 0 ? info.height : ii.height);
    if (want.width > 0 && want.height > 0 && (want.width != ii.width || want.height != ii.height))
        if (const IKHANDLE small = resized(image, want.width, want.height)) {
            freeImage(image);
            image = small;
        }
    display_ = image;
    return true;
}

void TVIkSlide::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}
