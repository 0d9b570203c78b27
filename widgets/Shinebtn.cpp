#include "widgets/Shinebtn.h"

#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QShortcutEvent>

namespace widgets {

TShineSpeedButton::TShineSpeedButton(QWidget* parent) : QWidget(parent), activeFont_(font()) {
    resize(25, 25);
    // The face is painted whole, except when transparent.
    setAttribute(Qt::WA_OpaquePaintEvent);
    colors_.OnChange = [this] { update(); };
    pressedColors_.OnChange = [this] { update(); };
    leavePoll_.setInterval(kLeavePollMs);
    connect(&leavePoll_, &QTimer::timeout, this, &TShineSpeedButton::pollPointer);
}

TShineBtnState TShineSpeedButton::State() const {
    return shineState({isEnabled(), down_, pressing_, pressing_ ? pressInside_ : mouseIn_, clickHook_});
}

// ---- Down and groups ----

void TShineSpeedButton::SetDown(bool down) {
    if (groupIndex_ == 0) down = false;
    if (down == down_) return;
    // A latched button of a group that must keep one down is raised only by another going down.
    if (down_ && !allowAllUp_) return;
    down_ = down;
    syncGroup();
    update();
}

void TShineSpeedButton::SetGroupIndex(int index) {
    if (index == groupIndex_) return;
    groupIndex_ = index;
    if (groupIndex_ == 0) down_ = false;
    syncGroup();
    update();
}

void TShineSpeedButton::SetAllowAllUp(bool allow) {
    allowAllUp_ = allow;
    syncGroup();
}

void TShineSpeedButton::syncGroup() {
    if (groupIndex_ == 0 || !parentWidget()) return;
    const auto siblings = parentWidget()->findChildren<TShineSpeedButton*>(Qt::FindDirectChildrenOnly);
    for (TShineSpeedButton* other : siblings) {
        if (other == this || other->groupIndex_ != groupIndex_) continue;
        other->allowAllUp_ = allowAllUp_;
        if (down_ && other->down_) {
            other->down_ = false;
            other->update();
        }
    }
}

// ---- Caption, glyph, fonts ----

void TShineSpeedButton::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    if (shortcutId_ != 0) releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    const QKeySequence accel = QKeySequence::mnemonic(caption_);
    if (!accel.isEmpty()) shortcutId_ = grabShortcut(accel);
    update();
}

void TShineSpeedButton::SetTransparent(bool b) {
    if (b == transparent_) return;
    transparent_ = b;
    setAttribute(Qt::WA_OpaquePaintEvent, !b);
    update();
}

void TShineSpeedButton::SetActiveFont(const QFont& f) {
    activeFont_ = f;
    update();
}

void TShineSpeedButton::SetGlyph(const QImage& glyph) {
    glyph_ = glyph;
    update();
}

// ---- Pointer ----

void TShineSpeedButton::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    QWidget* grabber = mouseGrabber();
    if (!isEnabled() || (grabber && grabber != this)) return;
    mouseEntered(event->modifiers(), event->position().toPoint());
}

void TShineSpeedButton::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    mouseLeft(QGuiApplication::keyboardModifiers(), mapFromGlobal(QCursor::pos()));
}

void TShineSpeedButton::mouseEntered(Qt::KeyboardModifiers shift, QPoint pos) {
    if (mouseIn_) return;
    mouseIn_ = true;
    QPointer<TShineSpeedButton> alive(this);
    if (OnMouseEnter) OnMouseEnter(this, shift, pos.x(), pos.y());
    if (!alive) return;
    leavePoll_.start();
    update();
}

void TShineSpeedButton::mouseLeft(Qt::KeyboardModifiers shift, QPoint pos) {
    if (!pressing_) leavePoll_.stop();
    if (!mouseIn_) return;
    mouseIn_ = false;
    update();
    if (OnMouseLeave) OnMouseLeave(this, shift, pos.x(), pos.y());
}

// The leave event does not always arrive (a fast move, a window opened above the button):
// while the pointer is over the button its position is tested on every tick.
void TShineSpeedButton::pollPointer() {
    const QPoint pos = mapFromGlobal(QCursor::pos());
    if (!rect().contains(pos)) mouseLeft(QGuiApplication::keyboardModifiers(), pos);
}

void TShineSpeedButton::reevaluateHover(QPoint pos, Qt::KeyboardModifiers shift) {
    if (rect().contains(pos) && isEnabled())
        mouseEntered(shift, pos);
    else
        mouseLeft(shift, pos);
}

void TShineSpeedButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) return QWidget::mousePressEvent(event);
    pressing_ = true;
    pressInside_ = true;
    update();
}

void TShineSpeedButton::mouseMoveEvent(QMouseEvent* event) {
    if (!pressing_) return QWidget::mouseMoveEvent(event);
    const bool inside = rect().contains(event->position().toPoint());
    if (inside == pressInside_) return;
    pressInside_ = inside;
    update();
}

void TShineSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressing_) return QWidget::mouseReleaseEvent(event);
    const QPoint pos = event->position().toPoint();
    const Qt::KeyboardModifiers shift = event->modifiers();
    pressing_ = false;
    update();
    if (rect().contains(pos)) {
        if (groupIndex_ != 0) {
            const bool down = downAfterGroupedClick(down_, allowAllUp_);
            if (down != down_) {
                down_ = down;
                syncGroup();
            }
        }
        if (!click()) return;
    }
    reevaluateHover(pos, shift);
}

bool TShineSpeedButton::click() {
    QPointer<TShineSpeedButton> alive(this);
    if (clickDownHook_) {
        clickHook_ = true;
        repaint();
    }
    if (OnClick) OnClick();
    if (!alive) return false;
    clickHook_ = false;
    update();
    return true;
}

void TShineSpeedButton::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
    if (event->button() == Qt::LeftButton && isEnabled() && down_ && OnDblClick) OnDblClick();
}

void TShineSpeedButton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        down_ = false;
        pressing_ = false;
        mouseIn_ = false;
        leavePoll_.stop();
    }
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange) update();
}

bool TShineSpeedButton::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut && static_cast<QShortcutEvent*>(event)->shortcutId() == shortcutId_ &&
        shortcutId_ != 0) {
        if (!isEnabled()) return true;
        if (accelCharDown_ && groupIndex_ != 0) {
            const bool down = downAfterGroupedClick(down_, allowAllUp_);
            if (down != down_) {
                down_ = down;
                syncGroup();
                update();
            }
        }
        click();
        return true;
    }
    return QWidget::event(event);
}

// ---- Painting ----

void TShineSpeedButton::paintEvent(QPaintEvent*) {
    const TShineBtnState s = State();
    const TShineBtnColors& set = isDownState(s) ? pressedColors_ : colors_;
    QImage buffer;
    QPainter widgetPainter(this);
    if (!transparent_) {
        // In the screen's device pixels, so text and glyph stay sharp on a screen of ratio 2.
        const qreal ratio = devicePixelRatio();
        buffer = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        buffer.setDevicePixelRatio(ratio);
        buffer.fill(Qt::transparent);
    }
    QPainter bufferPainter;
    if (!transparent_) bufferPainter.begin(&buffer);
    QPainter& p = transparent_ ? widgetPainter : bufferPainter;

    if (!transparent_) paintFace(p, set);
    const QFont font = isActiveState(s) ? activeFont_ : this->font();
    const QSize textSize =
        caption_.isEmpty() ? QSize() : QFontMetrics(font).boundingRect(QRect(), Qt::TextShowMnemonic, caption_).size();
    const ShineLayout at = shineLayout(size(), glyph_.size(), textSize, layout_, margin_, spacing_);
    const QPoint shift = isDownState(s) ? QPoint(1, 1) : QPoint(0, 0);
    paintGlyph(p, s, at.glyph + shift);
    paintCaption(p, s, font, at.text.translated(shift));
    if (frameShown(s, activeFrame_, upFrame_, downFrame_)) paintFrame(p, s, set);

    if (!transparent_) {
        bufferPainter.end();
        widgetPainter.drawImage(0, 0, buffer);
    }
}

void TShineSpeedButton::paintFace(QPainter& p, const TShineBtnColors& set) const {
    if (!set.Gradation()) {
        p.fillRect(rect(), toQColor(set.Color()));
        return;
    }
    const bool vertical = set.GradVertical();
    const std::vector<QRgb> lines = faceGradientLines(rgb(set.Color()), rgb(set.GradColor()), vertical ? height() : width());
    for (int i = 0; i < static_cast<int>(lines.size()); ++i)
        p.fillRect(vertical ? QRect(0, i, width(), 1) : QRect(i, 0, 1, height()), QColor::fromRgb(lines[static_cast<size_t>(i)]));
}

namespace {

// A one-colour image of the marked pixels of a mask.
QImage maskImage(const std::vector<bool>& mask, QSize size, QRgb color) {
    QImage out(size, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (mask[static_cast<size_t>(y) * static_cast<size_t>(size.width()) + static_cast<size_t>(x)])
                out.setPixel(x, y, color | 0xFF000000u);
    return out;
}

}  // namespace

void TShineSpeedButton::paintGlyph(QPainter& p, TShineBtnState s, QPoint at) const {
    if (glyph_.isNull()) return;
    if (s == TShineBtnState::bsDisabled) {
        if (disabledImage_ == TDisabledImage::diDefault) {
            const std::vector<bool> mask = disabledEdgeMask(glyph_);
            p.drawImage(at + QPoint(1, 1), maskImage(mask, glyph_.size(), rgb(disabledHighlight_)));
            p.drawImage(at, maskImage(mask, glyph_.size(), rgb(disabledShadow_)));
        } else {
            p.drawImage(at, disabledGlyph(glyph_, disabledImage_, rgb(colors_.Color())));
        }
        return;
    }
    p.drawImage(at, isActiveState(s) ? activeGlyph(glyph_, activeImage_, rgb(shineColor_)) : plainGlyph(glyph_));
}

void TShineSpeedButton::paintCaption(QPainter& p, TShineBtnState s, const QFont& font, QRect at) const {
    if (caption_.isEmpty()) return;
    p.setFont(font);
    const int flags = Qt::TextShowMnemonic | Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
    const auto draw = [&](QPoint offset, TColor color) {
        p.setPen(toQColor(color));
        p.drawText(at.translated(offset), flags, caption_);
    };
    if (s == TShineBtnState::bsDisabled) {
        draw(QPoint(1, 1), disabledHighlight_);
        draw(QPoint(0, 0), disabledShadow_);
        return;
    }
    if (fontShadow_ != kNoColor) draw(QPoint(1, 1), fontShadow_);
    if (fontHighlight_ != kNoColor) draw(QPoint(-1, -1), fontHighlight_);
    draw(QPoint(0, 0), isActiveState(s) ? activeFontColor_ : fontColor_);
}

void TShineSpeedButton::paintFrame(QPainter& p, TShineBtnState s, const TShineBtnColors& set) const {
    p.setRenderHint(QPainter::Antialiasing, false);
    for (const FrameLine& l : frameLines(frameType_, isDownState(s), set.set(), colors_.DarkShadow(), width(), height())) {
        p.setPen(QPen(toQColor(l.color), 0));
        p.drawLine(l.line);
    }
}

}  // namespace widgets
