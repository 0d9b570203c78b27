#include "browse/Ikthumb.h"

#include "Ikdllprocs.h"
#include "browse/IkFileNames.h"
#include "browse/IkListing.h"
#include "browse/IkThumbIndex.h"
#include "browse/IkThumbMaker.h"

#include <QDir>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <thread>

namespace {

// Thumbnails made ahead at a time: a few per core, so that every core has work while the
// memory held stays a few small thumbnails.
const int kThumbsAhead = 4 * static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

// Sets a flag for the lifetime of a scope.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& flag_;
};

ThumbScrollRequest requestOfAction(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub: return ThumbScrollRequest::LineUp;
        case QAbstractSlider::SliderSingleStepAdd: return ThumbScrollRequest::LineDown;
        case QAbstractSlider::SliderPageStepSub: return ThumbScrollRequest::PageUp;
        case QAbstractSlider::SliderPageStepAdd: return ThumbScrollRequest::PageDown;
        case QAbstractSlider::SliderToMinimum: return ThumbScrollRequest::Top;
        case QAbstractSlider::SliderToMaximum: return ThumbScrollRequest::Bottom;
        case QAbstractSlider::SliderMove: return ThumbScrollRequest::Track;
        default: return ThumbScrollRequest::Position;
    }
}

}  // namespace

TVIkThumb::TVIkThumb(QWidget* parent) : QWidget(parent), attachment_(vikGroupMain, IkAttachment::Reset::None) {
    resize(100, 100);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::ClickFocus);
    hBar_ = new QScrollBar(Qt::Horizontal, this);
    vBar_ = new QScrollBar(Qt::Vertical, this);
    hBar_->hide();
    vBar_->hide();
    for (QScrollBar* bar : {hBar_, vBar_})
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) {
            if (busy_) {
                bar->setSliderPosition(first_);
                return;
            }
            ScrollRequest(requestOfAction(action), bar->sliderPosition());
            bar->setSliderPosition(first_);
        });
    if (Ikdllprocs::IkVectorGdipStart) gdipToken_ = Ikdllprocs::IkVectorGdipStart();
}

TVIkThumb::~TVIkThumb() {
    freeEntries();
    if (gdipToken_ && Ikdllprocs::IkVectorGdipEnd) Ikdllprocs::IkVectorGdipEnd(gdipToken_);
}

void TVIkThumb::freeEntries() {
    stopBackground();
    batch_.clear();
    FreeSortDataList(entries_);
    grid_.tiles.clear();
    selection_ = {};
    pressedEntry_ = hoveredEntry_ = -1;
}

QString TVIkThumb::displayName(const TIKSORTDATA& entry) {
    return entry.Page >= 1 ? QStringLiteral("%1 %2").arg(entry.FileName).arg(entry.Page) : entry.FileName;
}

// ---- events -------------------------------------------------------------------------

void TVIkThumb::DoDropFileInThumb(const QString& path, const QString& name) {
    if (OnDropFileInThumb) OnDropFileInThumb(this, path, name);
}
void TVIkThumb::DoEndLoadFile(const QString& path, const QString& name, std::int16_t number, std::int16_t max) {
    if (OnEndLoadFile) OnEndLoadFile(this, path, name, number, max);
}
void TVIkThumb::DoMouseMoveOnThumb(const QString& path, const QString& name, std::int16_t number, std::int16_t max,
                                   const Ikutils::IkRect& r) {
    if (OnMouseMoveOnThumb)
        OnMouseMoveOnThumb(this, path, name, number, max, static_cast<std::int16_t>(r.left),
                           static_cast<std::int16_t>(r.top), static_cast<std::int16_t>(r.right),
                           static_cast<std::int16_t>(r.bottom));
}
void TVIkThumb::DoSelectFile(const QString& path, const QString& name, std::int16_t number, std::int16_t max,
                             const Ikutils::IkRect& r) {
    if (OnSelectFile)
        OnSelectFile(this, path, name, number, max, static_cast<std::int16_t>(r.left), static_cast<std::int16_t>(r.top),
                     static_cast<std::int16_t>(r.right), static_cast<std::int16_t>(r.bottom));
}
void TVIkThumb::DoShowThumbImage(const QString& path, const QString& name, std::int16_t number, std::int16_t max,
                                 const Ikutils::IkRect& r) {
    if (OnShowThumbImage)
        OnShowThumbImage(this, path, name, number, max, static_cast<std::int16_t>(r.left),
                         static_cast<std::int16_t>(r.top), static_cast<std::int16_t>(r.right),
                         static_cast<std::int16_t>(r.bottom));
}
void TVIkThumb::DoStartLoadFile(const QString& path, const QString& name, std::int16_t number, std::int16_t max) {
    if (OnStartLoadFile) OnStartLoadFile(this, path, name, number, max);
}

// The tile rectangle of an entry for the events: right and bottom one less for the select
// and hover events, the tile's own for the show event; all 0 when it is not on screen.
Ikutils::IkRect TVIkThumb::eventRect(int index, bool showEvent) const {
    for (std::size_t t = 0; t < grid_.tiles.size(); ++t) {
        if (tileEntryIndex(static_cast<int>(t), ColCount_, RowCount_, ScrollVH_, StartNum_) != index) continue;
        const ThumbTile& r = grid_.tiles[t];
        const int less = showEvent ? 0 : 1;
        return {r.Left, r.Top, r.Right - less, r.Bottom - less};
    }
    return {};
}

void TVIkThumb::fireSelect(int index) {
    const TIKSORTDATA& e = entries_[static_cast<std::size_t>(index)];
    selectFileName_ = IkBrowse::joinPath(e.PathName, e.FileName);
    DoSelectFile(e.PathName + QLatin1Char('/'), displayName(e), static_cast<std::int16_t>(index + 1),
                 static_cast<std::int16_t>(Count()), eventRect(index, false));
}

void TVIkThumb::fireEmptySelect(bool hover) {
    selectFileName_.clear();
    if (hover) DoMouseMoveOnThumb({}, {}, -1, static_cast<std::int16_t>(Count()), {});
    else DoSelectFile({}, {}, -1, static_cast<std::int16_t>(Count()), {});
}

// ---- properties ---------------------------------------------------------------------

void TVIkThumb::SetFilePath(const QString& path) {
    stopBackground();
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/'))) p.chop(1);
    listing_.FilePath = p;
}

void TVIkThumb::SetColCount(std::int16_t v) {
    if (v < 1) return;  // the layout divides by it
    ColCount_ = v;
    StartNum_ = 0;
    first_ = 0;
    layoutGrid();
    update();
}

void TVIkThumb::SetRowCount(std::int16_t v) {
    if (v < 1) return;
    RowCount_ = v;
    StartNum_ = 0;
    first_ = 0;
    layoutGrid();
    update();
}

void TVIkThumb::SetGapSize(std::int16_t v) {
    if (v >= 0) setInvalidating(GapSize_, v);
}
void TVIkThumb::SetEdgeSize(std::int16_t v) {
    if (v >= 0) setInvalidating(EdgeSize_, v);
}
void TVIkThumb::SetImageSize(std::int16_t v) {
    if (v >= 0) listing_.ImageSize = v;
}

void TVIkThumb::SetScrollBar(bool v) {
    ScrollBar_ = v;
    layoutGrid();
    update();
}

void TVIkThumb::SetScrollVH(TVIkThumbnailScroll v) {
    hideScrollBars();
    ScrollVH_ = v;
    StartNum_ = 0;
    first_ = 0;
    layoutGrid();
    update();
}

void TVIkThumb::SetEnableMouseMoveButton(bool v) {
    EnableMouseMoveButton_ = v;
    setMouseTracking(v);
}

// ---- layout and scrolling -----------------------------------------------------------

QSize TVIkThumb::clientSize() const {
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return {width() - (vBar_->isVisible() ? extent : 0), height() - (hBar_->isVisible() ? extent : 0)};
}

void TVIkThumb::hideScrollBars() {
    hBar_->hide();
    vBar_->hide();
}

void TVIkThumb::updateScrollBars() {
    const ThumbScrollInfo info = thumbScrollInfo(ScrollBar_, Count(), ColCount_, RowCount_, ScrollVH_);
    QScrollBar* bar = ScrollVH_ == vikThumbVertical ? vBar_ : hBar_;
    QScrollBar* other = bar == vBar_ ? hBar_ : vBar_;
    other->hide();
    if (!info.shown) {
        bar->hide();
        return;
    }
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    if (bar == vBar_) bar->setGeometry(width() - extent, 0, extent, height());
    else bar->setGeometry(0, height() - extent, width(), extent);
    // Qt's range is that of the first visible row: the system's maximum less a page.
    bar->setRange(0, std::max(info.max - info.page + 1, 0));
    bar->setPageStep(info.page);
    bar->setSingleStep(1);
    bar->setValue(first_);
    bar->show();
}

void TVIkThumb::layoutGrid() {
    if (Style_ != vikButton) Button3D_ = false;
    updateScrollBars();
    const QSize c = clientSize();
    grid_ = computeThumbGrid({c.width(), c.height(), ColCount_, RowCount_, GapSize_, EdgeSize_, Style_, Button3D_});
    for (std::size_t t = 0; t < grid_.tiles.size(); ++t) {
        const int index = tileEntryIndex(static_cast<int>(t), ColCount_, RowCount_, ScrollVH_, StartNum_);
        grid_.tiles[t].Selected = index < Count() ? entries_[static_cast<std::size_t>(index)].Selected : 0;
    }
}

void TVIkThumb::setFirst(int first) {
    first_ = std::max(first, 0);
    StartNum_ = first_ * (ScrollVH_ == vikThumbVertical ? ColCount_ : RowCount_);
    layoutGrid();
    if (displayMode() && !busy_) makeVisibleThumbnails();
    update();
}

void TVIkThumb::ScrollRequest(ThumbScrollRequest request, int tracked) {
    if (busy_ || entries_.empty()) return;
    const ThumbTotals t = gridTotals(Count(), ColCount_, RowCount_, ScrollVH_);
    const bool vertical = ScrollVH_ == vikThumbVertical;
    const int total = vertical ? t.rows : t.columns, visible = vertical ? RowCount_ : ColCount_;
    const int f = scrollFirst(request, first_, total, visible, ScrollStep_, tracked);
    if (f != first_) setFirst(f);
}

bool TVIkThumb::Scroll() {
    if (busy_ || entries_.empty()) return false;
    const ThumbTotals t = gridTotals(Count(), ColCount_, RowCount_, ScrollVH_);
    const bool vertical = ScrollVH_ == vikThumbVertical;
    const int total = vertical ? t.rows : t.columns, visible = vertical ? RowCount_ : ColCount_;
    setFirst(std::clamp(first_ + ScrollStep_, 0, std::max(total - visible, 0)));
    return true;
}

void TVIkThumb::SetStartNum(int n) {
    if (n < 0 || n >= Count() || n == StartNum_) return;
    const int start = startNumFor(n, Count(), ColCount_, RowCount_, ScrollVH_);
    setFirst(start / (ScrollVH_ == vikThumbVertical ? ColCount_ : RowCount_));
}

void TVIkThumb::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutGrid();
}

// ---- listing and thumbnails ---------------------------------------------------------

std::int32_t TVIkThumb::GetFiles() {
    if (busy_) return 0;
    stopBackground();
    ErrorCode_ = 0;
    selectFileName_.clear();
    stop_ = false;
    skipped_ = 0;
    BusyScope busy(busy_);
    if (listing_.ReadMode == vikThumbRdImage) return 0;
    if (ClearOnLoad_) {
        StartNum_ = 0;
        first_ = 0;
        extList_.clear();
        freeEntries();
    }
    const IkListResult listed = ListFiles(listing_, entries_, extList_);
    if (!listed.Result) {
        ErrorCode_ = listed.ErrorCode;
        return 0;
    }
    if (!displayMode()) {
        layoutGrid();
        for (int i = 0; i < Count(); ++i) GetThumbnailImage(i);
        std::vector<TIKSORTDATA> kept;
        for (TIKSORTDATA& e : entries_) {
            if (e.Thumb) kept.push_back(e);
            else FreeSortData(e);
        }
        entries_ = std::move(kept);
    }
    batch_.clear();
    layoutGrid();
    return 1;
}

bool TVIkThumb::GetThumbnailImage(int index) {
    if (index < 0 || index >= Count()) {
        ErrorCode_ = 5;
        return false;
    }
    TIKSORTDATA& entry = entries_[static_cast<std::size_t>(index)];
    if (entry.Thumb) return true;
    if (stop_) {
        ErrorCode_ = 1;
        return false;
    }
    const QString name = displayName(entry), folder = entry.PathName;
    const auto number = static_cast<std::int16_t>(index - skipped_ + 1);
    const auto max = static_cast<std::int16_t>(Count() - skipped_);
    DoStartLoadFile(folder, name, number, max);
    // The handler may have changed the list.
    if (index >= Count() || entries_[static_cast<std::size_t>(index)].Thumb) return index < Count();
    TIKSORTDATA& e = entries_[static_cast<std::size_t>(index)];
    const QString path = IkBrowse::joinPath(e.PathName, e.FileName);
    IKHANDLE thumb = 0;
    if (QDir(e.PathName).exists()) {
        if (!batch_.has(path, e.Page)) prefetchThumbnails(index, kThumbsAhead);
        bool made = false;
        thumb = batch_.take(path, e.Page, made);
        if (!made) thumb = MakeThumbnail(path, e.Page, listing_.ImageSize);
    }
    if (thumb) {
        e.Thumb = thumb;
        ErrorCode_ = 0;
        DoEndLoadFile(folder, name, number, max);
        return true;
    }
    ErrorCode_ = 6;
    if (displayMode()) {
        FreeSortData(e);
        entries_.erase(entries_.begin() + index);
        layoutGrid();
    } else {
        ++skipped_;
    }
    DoEndLoadFile(folder, name, 0, max);
    return false;
}

// Makes ahead, in parallel, the thumbnails of the entries from `from` to `from` + `count` − 1
// that have none; their events come later, one by one, from GetThumbnailImage. Entries past
// that window are left alone: a paint that finds its tiles made must not make others.
void TVIkThumb::prefetchThumbnails(int from, int count) {
    std::vector<ThumbJob> jobs;
    const int end = std::min(Count(), std::max(from, 0) + std::max(count, 0));
    for (int i = std::max(from, 0); i < end; ++i) {
        const TIKSORTDATA& e = entries_[static_cast<std::size_t>(i)];
        if (e.Thumb) continue;
        const QString path = IkBrowse::joinPath(e.PathName, e.FileName);
        if (batch_.has(path, e.Page) || !QDir(e.PathName).exists()) continue;
        background_.skip(path, e.Page);  // made here: the worker need not make it too
        jobs.push_back({path, e.Page});
    }
    batch_.make(jobs, listing_.ImageSize);
}

// Makes the thumbnails of the visible tiles; a failed entry is removed and the next one
// moves into its tile.
void TVIkThumb::makeVisibleThumbnails() {
    // The visible entries first, all at once, so that the first screen is not held up by
    // the entries after it.
    if (!stop_) prefetchThumbnails(StartNum_, static_cast<int>(grid_.tiles.size()));
    for (std::size_t t = 0; t < grid_.tiles.size() && !stop_; ++t) {
        for (;;) {
            const int index = tileEntryIndex(static_cast<int>(t), ColCount_, RowCount_, ScrollVH_, StartNum_);
            if (index >= Count() || entries_[static_cast<std::size_t>(index)].Thumb) break;
            const std::size_t before = entries_.size();
            if (!GetThumbnailImage(index) && entries_.size() == before) return;  // stopped
        }
    }
}

void TVIkThumb::makeAllThumbnails() {
    for (int i = 0; i < Count() && !stop_;) {
        const std::size_t before = entries_.size();
        if (GetThumbnailImage(i) || entries_.size() == before) ++i;
    }
}

bool TVIkThumb::Display() {
    if (busy_) return false;
    stopBackground();
    stop_ = false;
    const bool background = MakeInBackground_ && displayMode();
    StartNum_ = 0;
    first_ = 0;
    {
        BusyScope busy(busy_);
        layoutGrid();
        if (displayMode() && !entries_.empty()) {
            vBar_->setEnabled(false);
            hBar_->setEnabled(false);
            makeVisibleThumbnails();
            layoutGrid();
            if (isVisible()) repaint();
            if (!background) makeAllThumbnails();
            vBar_->setEnabled(true);
            hBar_->setEnabled(true);
        }
        layoutGrid();
    }
    batch_.clear();
    if (background && !stop_) startBackground();
    update();
    if (entries_.empty()) {
        ErrorCode_ = 6;
        return false;
    }
    return true;
}

void TVIkThumb::Clear() {
    hideScrollBars();
    vBar_->setValue(0);
    hBar_->setValue(0);
    StartNum_ = 0;
    first_ = 0;
    freeEntries();
    layoutGrid();
    update();
}

bool TVIkThumb::UpdateThumbnailFile() {
    if (listing_.ReadMode == vikThumbRdImage) return false;
    if (listing_.ThumbnailFile.isEmpty()) return false;
    ErrorCode_ = 2;
    std::uint16_t error = 0;
    const bool ok = WriteThumbIndexFile(listing_.ThumbnailFile, listing_.ImageSize, entries_, error);
    ErrorCode_ = ok ? 0 : (error ? error : 6);
    return ok;
}

// ---- entries by number --------------------------------------------------------------

bool TVIkThumb::validNumber(int n) {
    if (entries_.empty()) {
        ErrorCode_ = 16;
        return false;
    }
    if (n < 1 || n > Count()) {
        ErrorCode_ = 5;
        return false;
    }
    return true;
}

bool TVIkThumb::SelectImage(int n) {
    if (!validNumber(n)) return false;
    TIKSORTDATA& e = entries_[static_cast<std::size_t>(n - 1)];
    if (!e.Thumb) {
        ErrorCode_ = 5;
        return false;
    }
    if (!EnableSelectMultiFiles_ && e.Selected) return false;
    if (!EnableSelectMultiFiles_) deselectAll(entries_);
    e.Selected = -1;
    selection_.current = selection_.anchor = n - 1;
    ErrorCode_ = 0;
    layoutGrid();
    update();
    fireSelect(n - 1);
    return true;
}

bool TVIkThumb::DeSelectImage(int n) {
    if (!validNumber(n)) return false;
    TIKSORTDATA& e = entries_[static_cast<std::size_t>(n - 1)];
    const bool was = e.Selected != 0;
    e.Selected = 0;
    layoutGrid();
    update();
    return was;
}

bool TVIkThumb::IsSelected(int n) { return validNumber(n) && entries_[static_cast<std::size_t>(n - 1)].Selected; }

bool TVIkThumb::Delete(int n) {
    if (!validNumber(n)) return false;
    FreeSortData(entries_[static_cast<std::size_t>(n - 1)]);
    entries_.erase(entries_.begin() + (n - 1));
    selection_ = {};
    const ThumbTotals t = gridTotals(Count(), ColCount_, RowCount_, ScrollVH_);
    const bool vertical = ScrollVH_ == vikThumbVertical;
    const int total = vertical ? t.rows : t.columns, visible = vertical ? RowCount_ : ColCount_;
    setFirst(first_ > 0 && first_ + visible > total ? first_ - 1 : first_);
    return true;
}

bool TVIkThumb::SetThumbArrayNum(int n) {
    if (!validNumber(n)) return false;
    const TIKSORTDATA& e = entries_[static_cast<std::size_t>(n - 1)];
    chosenPath_ = e.PathName;
    chosenName_ = e.FileName;
    chosenPage_ = e.Page;
    return true;
}

void TVIkThumb::SetImageHandle(IKHANDLE image) {
    if (listing_.ReadMode != vikThumbRdImage) {
        if (image && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(image);
        return;
    }
    const IKHANDLE thumb = ShrinkToThumbnail(image, listing_.ImageSize);
    if (image && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(image);
    if (!thumb) {
        ErrorCode_ = 6;
        return;
    }
    TIKSORTDATA e;
    e.Thumb = thumb;
    e.FileName = QString::asprintf("%5d", Count() + 1);
    entries_.push_back(e);
    const int start = startNumFor(Count() - 1, Count(), ColCount_, RowCount_, ScrollVH_);
    setFirst(start / (ScrollVH_ == vikThumbVertical ? ColCount_ : RowCount_));
}
