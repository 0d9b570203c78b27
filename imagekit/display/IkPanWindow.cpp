#include "IkPanWindow.h"

#include "Ikdisp.h"
#include "Ikdllprocs.h"
#include "PanGeometry.h"
#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QWindow>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

// ---- the table --------------------------------------------------------------------------

namespace PanTable {

namespace {
std::vector<TPANOBJ>& entries() {
    static std::vector<TPANOBJ> table;
    return table;
}
}  // namespace

void append(IkPanWindow* window, TVIkDisp* owner) {
    TPANOBJ entry;
    entry.window = window;
    entry.owner = owner;
    entries().push_back(entry);
}

TPANOBJ* entryOf(const IkPanWindow* window) {
    if (!window) return nullptr;
    for (TPANOBJ& e : entries())
        if (e.window == window) return &e;
    return nullptr;
}

TPANOBJ* entryOfOwner(const TVIkDisp* owner) {
    if (!owner) return nullptr;
    for (TPANOBJ& e : entries())
        if (e.owner == owner && e.window) return &e;
    return nullptr;
}

void remove(const TVIkDisp* owner) {
    if (TPANOBJ* e = entryOfOwner(owner)) {
        if (e->refined && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(e->refined);
        *e = TPANOBJ{};
    }
    auto& table = entries();
    if (std::none_of(table.begin(), table.end(), [](const TPANOBJ& e) { return e.window != nullptr; })) {
        table.clear();
        table.shrink_to_fit();
    }
}

std::size_t count() { return entries().size(); }

}  // namespace PanTable

// ---- the window ---------------------------------------------------------------------------

namespace {

// The drag state: one drag at a time in the process (the mouse is grabbed).
struct PanDrag {
    int grabX = 0, grabY = 0;
    bool dragging = false;
    bool buttonDown = false;
    QRect client;  // client rectangle at the press
} drag;

std::int16_t clamped16(int v) {
    return static_cast<std::int16_t>(
        std::clamp(v, int{std::numeric_limits<std::int16_t>::min()}, int{std::numeric_limits<std::int16_t>::max()}));
}

// Draws the whole image stretched onto (0, 0, size).
bool drawWhole(QPainter& p, IKHANDLE image, const QSize& size) {
    if (!image || !Ikdllprocs::_StretchDIBits || !Ikdllprocs::GetDibPalSize) return false;
    platform::GlobalLock lock(image);
    if (!lock) return false;
    const auto* header = lock.as<std::uint8_t>();
    const auto& h = *lock.as<platform::BitmapInfoHeader>();
    const int width = h.biWidth, height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const std::uint8_t* bits = header + h.biSize + Ikdllprocs::GetDibPalSize(header);
    return Ikdllprocs::_StretchDIBits(&p, 0, 0, size.width(), size.height(), 0, 0, width, height, bits, header, 0,
                                      0) != 0;
}

}  // namespace

IkPanWindow::IkPanWindow(TVIkDisp* owner) : QWidget(owner, Qt::Tool), owner_(owner) {
    drag = PanDrag{};
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setWindowTitle(QString::fromLatin1(kInitialTitle));
    setCursor(owner->PanWindowCursor());
    owner->installEventFilter(this);
}

// A display placed in another window takes its shown navigation window along.
bool IkPanWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == owner_ && event->type() == QEvent::ParentChange && isVisible()) followOwnerWindow();
    return false;
}

void IkPanWindow::applyStyle(bool closeBox, bool caption) {
    Qt::WindowFlags flags = Qt::Tool | Qt::WindowDoesNotAcceptFocus | Qt::CustomizeWindowHint;
    if (closeBox) flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    else if (caption) flags |= Qt::WindowTitleHint;
    else flags |= Qt::FramelessWindowHint;
    setWindowFlags(flags);
    const int border = (flags & Qt::FramelessWindowHint) ? 1 : 0;
    setContentsMargins(border, border, border, border);
}

int IkPanWindow::captionHeight() const { return style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this); }

// The window manager puts its title bar outside the widget, so a captioned window's client
// is the outer size less the caption; a frameless window's 1-pixel border lies inside it.
QSize IkPanWindow::clientSizeFor(int outerWidth, int outerHeight) const {
    if (windowFlags() & Qt::FramelessWindowHint) return QSize(outerWidth, outerHeight);
    return QSize(outerWidth, std::max(outerHeight - captionHeight(), 0));
}

void IkPanWindow::followOwnerWindow() {
    QWindow* mine = windowHandle();
    const QWidget* top = owner_->window();
    QWindow* theirs = top ? top->windowHandle() : nullptr;
    if (mine && theirs && mine->transientParent() != theirs) mine->setTransientParent(theirs);
}

void IkPanWindow::thumbnailChanged() {
    thumbnailStale_ = shownStale_ = true;
    update();
}

void IkPanWindow::rectChanged() {
    shownStale_ = true;
    compose();
    update();
}

void IkPanWindow::fillNow(const QColor& colour) {
    if (shown_.size() != clientRect().size()) shown_ = QImage(clientRect().size(), QImage::Format_RGB32);
    if (shown_.isNull()) return;
    shown_.fill(colour);
    shownStale_ = false;
    if (isVisible()) repaint();
}

// Paint: what the window shows, from the image, its grey thumbnail or the fill colour.
void IkPanWindow::renderThumbnail(const TPANOBJ& entry) {
    const QSize size = clientRect().size();
    if (thumbnail_.size() != size) thumbnail_ = QImage(size, QImage::Format_RGB32);
    if (thumbnail_.isNull()) return;
    QPainter p(&thumbnail_);
    const QColor fill = owner_->resolved(owner_->PanWindowColor());
    if (!entry.image || !owner_->ShowInPanWindow()) {
        p.fillRect(thumbnail_.rect(), fill);
        return;
    }
    if (entry.refined && drawWhole(p, entry.refined, size)) return;
    if (!drawWhole(p, entry.image, size)) p.fillRect(thumbnail_.rect(), fill);
}

// The kept thumbnail with the rectangle inverted over it: the black pen inverts, white
// leaves the pixels unchanged. Moving the rectangle never resamples the image.
void IkPanWindow::compose() {
    TPANOBJ* e = PanTable::entryOf(this);
    if (!e) return;
    const QSize size = clientRect().size();
    if (thumbnailStale_ || thumbnail_.size() != size) {
        e->image = owner_->imageUsable() ? owner_->ImgHandle() : 0;
        e->memoryContext = 0;
        renderThumbnail(*e);
        thumbnailStale_ = false;
    }
    if (thumbnail_.isNull()) return;
    if (shown_.size() != thumbnail_.size() || shown_.format() != thumbnail_.format()) shown_ = thumbnail_.copy();
    else std::memcpy(shown_.bits(), thumbnail_.constBits(), static_cast<std::size_t>(thumbnail_.sizeInBytes()));
    shownStale_ = false;
    if (e->right <= 0 || e->bottom <= 0) return;
    QPainter p(&shown_);
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    const int l = e->left, t = e->top, w = e->right - e->left, h = e->bottom - e->top;
    if (w <= 0 || h <= 0) return;
    if (owner_->PanWindowRectRev()) {
        p.fillRect(QRect(l, t, w, h), Qt::black);
        return;
    }
    // The frame covers left … right − 1 and top … bottom − 1, each pixel once.
    const QColor pen = owner_->resolved(owner_->PanWindowRectColor());
    p.fillRect(QRect(l, t, w, 1), pen);
    if (h > 1) p.fillRect(QRect(l, t + h - 1, w, 1), pen);
    if (h > 2) {
        p.fillRect(QRect(l, t + 1, 1, h - 2), pen);
        if (w > 1) p.fillRect(QRect(l + w - 1, t + 1, 1, h - 2), pen);
    }
}

void IkPanWindow::paintEvent(QPaintEvent*) {
    if (thumbnailStale_ || shownStale_ || shown_.size() != clientRect().size()) compose();
    {
        QPainter p(this);
        if (windowFlags() & Qt::FramelessWindowHint) {
            p.setPen(Qt::black);
            p.setBrush(Qt::NoBrush);
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        if (!shown_.isNull()) p.drawImage(clientRect().topLeft(), shown_);
    }
    reactivateOwner();
}

void IkPanWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    thumbnailStale_ = shownStale_ = true;
}

void IkPanWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!PanTable::entryOf(this)) return;
    const QPoint outer = frameGeometry().topLeft();
    owner_->PanWindowLeft_ = clamped16(outer.x());
    owner_->PanWindowTop_ = clamped16(outer.y());
}

// The close box hides the window; it keeps its thumbnail and is not destroyed.
void IkPanWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (!isVisible() || !PanTable::entryOf(this)) return;
    hide();
    owner_->DoPanWindow(false);
}

QPoint IkPanWindow::clientPoint(const QPointF& widgetPoint) const {
    return widgetPoint.toPoint() - clientRect().topLeft();
}

void IkPanWindow::mousePressEvent(QMouseEvent* event) {
    const TPANOBJ* e = PanTable::entryOf(this);
    if (!e || event->button() != Qt::LeftButton) return;
    const QPoint at = clientPoint(event->position());
    if (!PanGeometry::grabs(Ikutils::IkRect{e->left, e->top, e->right, e->bottom}, at.x(), at.y())) return;
    drag.grabX = at.x() - e->left;
    drag.grabY = at.y() - e->top;
    setCursor(owner_->PanWindowRectCursor());
    drag.dragging = true;
    drag.client = QRect(QPoint(0, 0), clientRect().size());
    drag.buttonDown = true;
}

void IkPanWindow::mouseMoveEvent(QMouseEvent* event) {
    const TPANOBJ* e = PanTable::entryOf(this);
    if (!e) return;
    const QPoint at = clientPoint(event->position());
    // Points left of or above the window, and beyond the client, are ignored.
    if (drag.dragging && at.x() >= 0 && at.y() >= 0 && at.x() <= drag.client.right() + 1 &&
        at.y() <= drag.client.bottom() + 1) {
        const PanGeometry::PanStart start =
            PanGeometry::dragStart(at.x(), at.y(), drag.grabX, drag.grabY, e->scaleX, e->scaleY);
        owner_->scrollFromPan(start.x, start.y);
    }
    if (!drag.buttonDown) setCursor(owner_->PanWindowCursor());
}

void IkPanWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !PanTable::entryOf(this)) return;
    drag.dragging = false;
    setCursor(owner_->PanWindowCursor());
    reactivateOwner();
    drag.buttonDown = false;
}

// The navigation window never keeps the activation it may have been given.
void IkPanWindow::reactivateOwner() {
    if (!isActiveWindow()) return;
    QWidget* top = owner_->window();
    if (top && top != this && top->isVisible()) top->activateWindow();
}
