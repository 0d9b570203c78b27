// How TVIkThumb takes input: selection by mouse and keys, hover, the wheel, tiles
// dragged out or moved inside, and files dropped on it.
#include "browse/Ikthumb.h"

#include "Ikdllprocs.h"
#include "browse/IkFileNames.h"
#include "browse/IkListing.h"
#include "browse/ThumbDrag.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

// ---- input --------------------------------------------------------------------------

void TVIkThumb::selectAt(const QPoint& pos, ThumbSelectAt at, Qt::KeyboardModifiers modifiers) {
    const int tile = hitTestTile(grid_, pos.x(), pos.y());
    if (tile < 0) return;
    const int index = tileEntryIndex(tile, ColCount_, RowCount_, ScrollVH_, StartNum_);
    if (index < 0 || index >= Count()) return;
    if (!entries_[static_cast<std::size_t>(index)].Thumb) {
        if (at == ThumbSelectAt::Press) fireEmptySelect(false);
        return;
    }
    const bool multi = EnableSelectMultiFiles_ && !EnableMouseMoveButton_;
    const std::vector<int> fired = selectThumbEntry(entries_, selection_, index, at,
                                                    modifiers & Qt::ShiftModifier, modifiers & Qt::ControlModifier, multi);
    layoutGrid();
    update();
    for (int i : fired)
        if (i < Count()) fireSelect(i);
}

void TVIkThumb::cancelMove() {
    moving_ = false;
    dragged_ = true;  // the release that follows selects nothing
    unsetCursor();
}

void TVIkThumb::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && moving_) {
        cancelMove();
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    dragged_ = false;
    pressPos_ = event->position().toPoint();
    const int tile = hitTestTile(grid_, pressPos_.x(), pressPos_.y());
    const int index = tile < 0 ? -1 : tileEntryIndex(tile, ColCount_, RowCount_, ScrollVH_, StartNum_);
    pressedEntry_ = index >= 0 && index < Count() ? index : -1;
    if (listing_.ReadMode == vikThumbRdImage || busy_) return;
    if (pressedEntry_ >= 0) setCursor(SelectCursor_);
    selectAt(pressPos_, ThumbSelectAt::Press, event->modifiers());
}

void TVIkThumb::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) setFocus(Qt::MouseFocusReason);
}

void TVIkThumb::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    unsetCursor();
    const bool dragged = dragged_;
    dragged_ = false;
    pressedEntry_ = -1;
    if (moving_) {
        moving_ = false;
        const QPoint pos = event->position().toPoint();
        const int tile = hitTestTile(grid_, pos.x(), pos.y());
        if (tile >= 0 && !busy_ &&
            moveSelectedBlock(entries_, tileEntryIndex(tile, ColCount_, RowCount_, ScrollVH_, StartNum_))) {
            selection_ = {};
            layoutGrid();
            update();
        }
        return;
    }
    if (dragged || listing_.ReadMode == vikThumbRdImage || busy_) return;
    selectAt(event->position().toPoint(), ThumbSelectAt::Release, event->modifiers());
}

void TVIkThumb::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (busy_) return;
    if ((event->buttons() & Qt::LeftButton) && (EnableDragSource_ || EnableMove_) && !moving_ && !dragged_ &&
        pressedEntry_ >= 0 && entries_[static_cast<std::size_t>(pressedEntry_)].Selected &&
        (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
        if (EnableDragSource_) {
            startDrag();
        } else {
            moving_ = true;
            // The drag cursor unless the owner chose a cursor of its own.
            setCursor(SelectCursor_.shape() == Qt::ArrowCursor ? QCursor(Qt::DragMoveCursor) : SelectCursor_);
        }
        return;
    }
    if (!EnableMouseMoveButton_ || event->buttons() != Qt::NoButton) return;
    const int tile = hitTestTile(grid_, pos.x(), pos.y());
    int index = tile < 0 ? -1 : tileEntryIndex(tile, ColCount_, RowCount_, ScrollVH_, StartNum_);
    if (index >= Count() || (index >= 0 && !entries_[static_cast<std::size_t>(index)].Thumb)) index = -1;
    if (index == hoveredEntry_) return;
    hoveredEntry_ = index;
    if (index < 0) {
        fireEmptySelect(true);
        return;
    }
    deselectAll(entries_);
    entries_[static_cast<std::size_t>(index)].Selected = -1;
    selection_.current = selection_.anchor = index;
    layoutGrid();
    update();
    const TIKSORTDATA& e = entries_[static_cast<std::size_t>(index)];
    DoMouseMoveOnThumb(e.PathName + QLatin1Char('/'), displayName(e), static_cast<std::int16_t>(index + 1),
                       static_cast<std::int16_t>(Count()), eventRect(index, false));
}

void TVIkThumb::startDrag() {
    dragged_ = true;
    QMimeData* data = ThumbDragData(entries_);
    if (!data) return;
    const int page = ThumbDragPage(entries_);
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    ThumbPageHandOver handOver(page);
    qApp->installEventFilter(&handOver);
    drag->exec(Qt::CopyAction);
    qApp->removeEventFilter(&handOver);
    unsetCursor();
}

void TVIkThumb::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (!EnableMouseWheel_ || entries_.empty() || busy_) return;
    const QPoint delta = event->angleDelta();
    const WheelTurn turn = wheelTurn(wheelAccumulator_, delta.y() != 0 ? delta.y() : delta.x());
    wheelAccumulator_ = turn.accumulator;
    for (int i = 0; i < turn.lines; ++i) ScrollRequest(ThumbScrollRequest::LineUp);
    for (int i = 0; i > turn.lines; --i) ScrollRequest(ThumbScrollRequest::LineDown);
}

void TVIkThumb::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && moving_) {
        cancelMove();
        event->accept();
        return;
    }
    if (!EnableArrowKeys_ || busy_ || entries_.empty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    ThumbKey key;
    switch (event->key()) {
        case Qt::Key_Left: key = ThumbKey::Left; break;
        case Qt::Key_Right: key = ThumbKey::Right; break;
        case Qt::Key_Up: key = ThumbKey::Up; break;
        case Qt::Key_Down: key = ThumbKey::Down; break;
        case Qt::Key_PageUp: key = ThumbKey::PageUp; break;
        case Qt::Key_PageDown: key = ThumbKey::PageDown; break;
        default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
    const ThumbKeyMove move = thumbKeyMove(key, selection_.current, Count(), ColCount_, RowCount_, ScrollVH_, StartNum_);
    if (move.target < 0) return;
    if (move.scrolls) ScrollRequest(move.request);
    if (!entries_[static_cast<std::size_t>(move.target)].Thumb) return;
    const std::vector<int> fired =
        selectThumbEntry(entries_, selection_, move.target, ThumbSelectAt::Key, false, false, false);
    layoutGrid();
    update();
    for (int i : fired) fireSelect(i);
}

void TVIkThumb::dragEnterEvent(QDragEnterEvent* event) {
    if (EnableDragTarget_ && !busy_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TVIkThumb::dragMoveEvent(QDragMoveEvent* event) {
    if (EnableDragTarget_ && !busy_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TVIkThumb::dropEvent(QDropEvent* event) {
    if (!EnableDragTarget_ || busy_) return;
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths.append(url.toLocalFile());
    event->acceptProposedAction();
    DropFiles(paths, event->position().toPoint());
}

int TVIkThumb::DropFiles(const QStringList& paths, const QPoint& pos) {
    if (busy_ || listing_.ReadMode == vikThumbRdImage) return 0;
    if (extList_.isEmpty()) extList_ = IkBrowse::GetPathFileExt(listing_.FileExt);
    skipped_ = 0;
    const int tile = hitTestTile(grid_, pos.x(), pos.y());
    int at = tile < 0 ? Count() : tileEntryIndex(tile, ColCount_, RowCount_, ScrollVH_, StartNum_);
    at = std::clamp(at, 0, Count());
    int added = 0;
    for (const QString& path : paths) {
        const QFileInfo file(path);
        const QString folder = file.absolutePath(), name = file.fileName();
        if (name.isEmpty() || !file.isFile() || !IkBrowse::GetFileExt(name, extList_)) continue;
        const bool listed = std::any_of(entries_.begin(), entries_.end(), [&](const TIKSORTDATA& e) {
            return sameImage(e, folder, name, e.Page);
        });
        if (listed) continue;
        std::vector<TIKSORTDATA> fresh;
        appendFileEntries(fresh, folder, name, isMultiImageMode(listing_.ReadMode), listing_.SortDate);
        for (TIKSORTDATA& e : fresh) {
            const int index = at;
            entries_.insert(entries_.begin() + index, e);
            const std::size_t before = entries_.size();
            if (GetThumbnailImage(index)) {
                ++at;
                ++added;
                DoDropFileInThumb(e.PathName, displayName(e));
            } else if (entries_.size() == before) {
                // Not made in a reading mode: the entry goes, as GetFiles drops it.
                FreeSortData(entries_[static_cast<std::size_t>(index)]);
                entries_.erase(entries_.begin() + index);
            }
        }
    }
    setFirst(first_);
    return added;
}
