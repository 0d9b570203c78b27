// How TVIkDisp reacts to its scroll bars, the wheel, mouse presses and drags, keys and
// dropped files, and which events it fires for them.
#include "Ikdisp.h"

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>

using DisplayInput::ImagePoint;

void TVIkDisp::initInput() {
    // Read once: a later change of the system setting applies to new controls.
    wheel_ = DisplayInput::WheelAccumulator(DisplayInput::wheelStep(QApplication::wheelScrollLines()));
    setMouseTracking(true);  // image move events fire without a button down too
    setFocusPolicy(Qt::NoFocus);  // not a tab stop; a left press gives the focus, other buttons do not
    setAcceptDrops(true);
    hBar_->installEventFilter(this);
    vBar_->installEventFilter(this);
    QObject::connect(hBar_, &QAbstractSlider::actionTriggered, this,
                     [this](int action) { barAction(hBar_, Qt::Horizontal, action); });
    QObject::connect(vBar_, &QAbstractSlider::actionTriggered, this,
                     [this](int action) { barAction(vBar_, Qt::Vertical, action); });
}

void TVIkDisp::DoScrollDispImage(TScrollCode code, std::int16_t pos, TVIkMouseWheel direction) {
    if (OnScrollDispImage) OnScrollDispImage(this, code, pos, direction);
}

void TVIkDisp::DoGetDragDropFileName(const QString& fileName, std::int16_t page) {
    if (OnGetDragDropFileName) OnGetDragDropFileName(this, fileName, page);
}

void TVIkDisp::DoMouseWheelUpImage(Qt::KeyboardModifiers shift, TVIkMouseWheel direction) {
    if (OnMouseWheelUpImage) OnMouseWheelUpImage(this, shift, direction);
}

void TVIkDisp::DoMouseWheelDownImage(Qt::KeyboardModifiers shift, TVIkMouseWheel direction) {
    if (OnMouseWheelDownImage) OnMouseWheelDownImage(this, shift, direction);
}

// ---- scrolling ----------------------------------------------------------------------

void TVIkDisp::ScrollRequest(Qt::Orientation orientation, TScrollCode code, int pos) {
    const bool vertical = orientation == Qt::Vertical;
    DisplayInput::Span span = vertical ? DisplayInput::Span{SrcRect_.top, SrcRect_.bottom}
                                       : DisplayInput::Span{SrcRect_.left, SrcRect_.right};
    const bool handled =
        DisplayInput::scrollSpan(code, pos, vertical ? ScrollHeight_ : ScrollWidth_,
                                 vertical ? layout_.visibleHeight : layout_.visibleWidth,
                                 vertical ? ImageHeight_ : ImageWidth_, span);
    if (handled) {
        if (vertical) {
            SrcRect_.top = span.first;
            SrcRect_.bottom = span.last;
        } else {
            SrcRect_.left = span.first;
            SrcRect_.right = span.last;
        }
        imageDispMain(nullptr, nullptr, true);
        DoScrollDispImage(code, static_cast<std::int16_t>(pos), vertical ? vikVertical : vikHorizontal);
    }
    AfterDispImage();
}

// The bar has already moved its slider for the action; the request decides where the view
// goes and the display run sets the bar's value. The slider is put back on that value so
// that the bar's own step, applied after this slot, changes nothing.
void TVIkDisp::barAction(QScrollBar* bar, Qt::Orientation orientation, int action) {
    TScrollCode code;
    int pos = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = scLineUp; break;
    case QAbstractSlider::SliderSingleStepAdd: code = scLineDown; break;
    case QAbstractSlider::SliderPageStepSub: code = scPageUp; break;
    case QAbstractSlider::SliderPageStepAdd: code = scPageDown; break;
    case QAbstractSlider::SliderToMinimum: code = scTop; break;
    case QAbstractSlider::SliderToMaximum: code = scBottom; break;
    case QAbstractSlider::SliderMove:
        code = scTrack;
        pos = bar->sliderPosition();
        break;
    default: return;
    }
    ScrollRequest(orientation, code, pos);
    bar->setSliderPosition(bar->value());
}

bool TVIkDisp::ScrollImage(TVIkScrollDir direction) {
    if (mode_ != vikActualSize) {
        ErrorCode_ = kStatusBadArgument;
        return false;
    }
    ErrorCode_ = kStatusOk;
    SrcRect_ = DisplayInput::scrolledTowards(direction, SrcRect_, ScrollWidth_, ScrollHeight_);
    imageDispMain(nullptr, nullptr, true);
    AfterDispImage();
    return true;
}

void TVIkDisp::wheelEvent(QWheelEvent* event) {
    event->accept();
    if (!imageUsable() || wheel_.step() == 0) return;
    const QPoint delta = event->angleDelta();
    const DisplayInput::WheelTurn turn = wheel_.add(delta.y() != 0 ? delta.y() : delta.x());
    if (MouseWheel_ != vikDisable) {
        const Qt::Orientation orientation = MouseWheel_ == vikHorizontal ? Qt::Horizontal : Qt::Vertical;
        // Every line request runs in full, but only the last one's picture can be seen: the
        // ones before it leave the picture to the last.
        int left = turn.linesUp + turn.linesDown;
        auto request = [&](TScrollCode code) {
            pictureDeferred_ = --left > 0;
            ScrollRequest(orientation, code, 0);
            pictureDeferred_ = false;
        };
        for (int i = 0; i < turn.linesUp; ++i) request(scLineUp);
        for (int i = 0; i < turn.linesDown; ++i) request(scLineDown);
    }
    if (turn.up) DoMouseWheelUpImage(event->modifiers(), MouseWheel_);
    else DoMouseWheelDownImage(event->modifiers(), MouseWheel_);
}

// The wheel over a scroll bar is the control's wheel, not a step of the bar.
bool TVIkDisp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && (watched == hBar_ || watched == vBar_)) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- mouse --------------------------------------------------------------------------

// The image event of a press, release or move when it lies over the drawn picture.
void TVIkDisp::mouseImageEvent(QEvent::Type type, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at) {
    if (!DisplayInput::hitsPicture(at.x(), at.y(), DrawnRect_, SrcRect_)) return;
    const ImagePoint p = DisplayInput::imagePointAt(at.x(), at.y(), DrawnRect_, SrcRect_, ScaleWidth_, ScaleHeight_);
    const Ikutils::IkRect& s = SrcRect_;
    const int ox = DrawnRect_.left, oy = DrawnRect_.top;
    if (type == QEvent::MouseMove) {
        if (OnMouseMoveImage) OnMouseMoveImage(this, shift, ox, oy, s.left, s.top, s.right, s.bottom, ScaleWidth_, ScaleHeight_, p.x, p.y);
        return;
    }
    const TVIkMouseImageEvent& handler = type == QEvent::MouseButtonPress ? OnMouseDownImage : OnMouseUpImage;
    if (handler) handler(this, button, shift, ox, oy, s.left, s.top, s.right, s.bottom, ScaleWidth_, ScaleHeight_, p.x, p.y);
}

void TVIkDisp::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    bool dragStarted = false;
    if (button == Qt::LeftButton) {
        if (!hasFocus()) setFocus(Qt::MouseFocusReason);
        if (ScrollDrag_ && mode_ == vikActualSize && !dragging_) {
            dragging_ = true;
            anchor_ = DisplayInput::imagePointAt(at.x(), at.y(), DrawnRect_, SrcRect_, ScaleWidth_, ScaleHeight_);
            dragStarted = true;
        }
    }
    // A right press over the picture reports only when no other button is down.
    if (button != Qt::RightButton || event->buttons() == Qt::RightButton)
        mouseImageEvent(QEvent::MouseButtonPress, button, event->modifiers(), at);
    if (OnMouseDown) OnMouseDown(this, button, event->modifiers(), at.x(), at.y());
    if (dragStarted) {
        savedOwnCursor_ = testAttribute(Qt::WA_SetCursor);
        savedCursor_ = cursor();
        setCursor(DispRectCursor_);
    }
}

void TVIkDisp::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (dragging_ && ScrollDrag_ && mode_ == vikActualSize && imageUsable()) {
        // The image point under the mouse stays the anchor; the run clamps at the edges.
        const ImagePoint start =
            DisplayInput::dragStart(anchor_, at.x(), at.y(), DrawnRect_, SrcRect_, ScaleWidth_, ScaleHeight_);
        StartX_ = std::max(start.x, 0);
        StartY_ = std::max(start.y, 0);
        imageDispMain(nullptr, nullptr, false);
        AfterDispImage();
    }
    mouseImageEvent(QEvent::MouseMove, Qt::NoButton, event->modifiers(), at);
    if (OnMouseMove) OnMouseMove(this, event->modifiers(), at.x(), at.y());
}

void TVIkDisp::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        anchor_ = ImagePoint{};
        if (savedOwnCursor_) setCursor(savedCursor_);
        else unsetCursor();
    }
    mouseImageEvent(QEvent::MouseButtonRelease, event->button(), event->modifiers(), at);
    if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), at.x(), at.y());
}

// A double click is a press as well; its release follows as usual.
void TVIkDisp::mouseDoubleClickEvent(QMouseEvent* event) {
    if (OnDblClick) OnDblClick(this);
    mousePressEvent(event);
}

// ---- keyboard -----------------------------------------------------------------------

// Every key is handed on; the arrow keys stay with the control so they move no focus.
void TVIkDisp::keyPressEvent(QKeyEvent* event) {
    if (OnKeyDown) OnKeyDown(this, event->key(), event->modifiers());
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: event->accept(); return;
    default: QWidget::keyPressEvent(event);
    }
}

// ---- dropped files ------------------------------------------------------------------

namespace {

bool carriesLocalFiles(const QMimeData* data) {
    if (!data || !data->hasUrls()) return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); });
}

}  // namespace

void TVIkDisp::dragEnterEvent(QDragEnterEvent* event) {
    if (carriesLocalFiles(event->mimeData())) event->acceptProposedAction();
}

void TVIkDisp::dragMoveEvent(QDragMoveEvent* event) {
    if (carriesLocalFiles(event->mimeData())) event->acceptProposedAction();
}

// Names are taken whole: a cut path names another file. Only the first name can carry
// the page a drag source put in the title, which is set back as it is read, and after
// the drop in any case.
void TVIkDisp::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (carriesLocalFiles(data)) {
        event->acceptProposedAction();
        const QList<QUrl> urls = data->urls();
        for (const QUrl& url : urls) {
            const QString name = url.isLocalFile() ? url.toLocalFile() : QString();
            if (name.isEmpty()) continue;
            const DisplayInput::TitlePage title = DisplayInput::pageFromTitle(windowTitle());
            if (title.carried) setWindowTitle(QLatin1String(DisplayInput::kPageTitle));
            DoGetDragDropFileName(name, static_cast<std::int16_t>(title.page));
        }
    } else {
        event->ignore();
    }
    if (DisplayInput::pageFromTitle(windowTitle()).carried) setWindowTitle(QLatin1String(DisplayInput::kPageTitle));
}
