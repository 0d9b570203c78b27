#include "widgets/Dxfprogressbar.h"

#include <QBitmap>
#include <QPainter>

namespace widgets {

namespace {
const TColor kBtnShadowColor = TColor(0x80000010);
const TColor kBtnHighlightColor = TColor(0x80000014);
}  // namespace

void drawBevel(QPainter& p, const EdgeRect& r, TdxfBevelOuter bevel) {
    if (bevel == TdxfBevelOuter::bvNone || r.width() <= 0 || r.height() <= 0) return;
    const QColor shadow = toQColor(kBtnShadowColor), light = toQColor(kBtnHighlightColor);
    const QColor topLeft = bevel == TdxfBevelOuter::bvLowered ? shadow : light;
    const QColor bottomRight = bevel == TdxfBevelOuter::bvLowered ? light : shadow;
    const int l = r.left, t = r.top, rt = r.right - 1, b = r.bottom - 1;
    p.fillRect(QRect(l, t, r.width(), 1), topLeft);
    p.fillRect(QRect(l, t, 1, r.height()), topLeft);
    p.fillRect(QRect(l, b, r.width(), 1), bottomRight);
    p.fillRect(QRect(rt, t, 1, r.height()), bottomRight);
}

TdxfProgressBar::TdxfProgressBar(QWidget* parent) : QWidget(parent) {
    resize(150, 16);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TdxfProgressBar::SetMin(int value) {
    if (value > range_.max || value == range_.min) return;
    range_.min = value;
    update();
}

void TdxfProgressBar::SetMax(int value) {
    if (value < range_.min || value == range_.max) return;
    range_.max = value;
    update();
}

void TdxfProgressBar::SetPosition(int value) {
    if (value == range_.position) return;
    const int old = range_.position;
    range_.position = value;
    repaint(InvalidationBand(old));
}

QRect TdxfProgressBar::InvalidationBand(int oldPosition) const {
    int extra = 0;
    if (style_ == TdxfPBStyle::sRectangles || style_ == TdxfPBStyle::sExRectangles) {
        extra = 2 * (orientation_ == TdxfPBOrientation::orHorizontal ? height() : width()) / 3 + 2;
    } else if (style_ == TdxfPBStyle::sPictures) {
        extra = orientation_ == TdxfPBOrientation::orHorizontal ? glyph_.width() : glyph_.height();
    }
    QRect band = progressInvalidation(width(), height(), range_, oldPosition, orientation_, extra);
    if (showText_) band = band.united(rect());  // the text box lies in the middle; repaint it too
    return band;
}

void TdxfProgressBar::SetOrientation(TdxfPBOrientation o) {
    if (o == orientation_) return;
    orientation_ = o;
    update();
}

void TdxfProgressBar::SetStyle(TdxfPBStyle s) {
    if (s == style_) return;
    style_ = s;
    update();
}

void TdxfProgressBar::SetBeginColor(TColor c) {
    if (c == beginColor_) return;
    beginColor_ = c;
    if (style_ != TdxfPBStyle::sPictures) update();
}

void TdxfProgressBar::SetEndColor(TColor c) {
    if (c == endColor_) return;
    endColor_ = c;
    if (style_ == TdxfPBStyle::sExSolid || style_ == TdxfPBStyle::sExRectangles) update();
}

void TdxfProgressBar::SetBevelOuter(TdxfBevelOuter b) {
    if (b == bevelOuter_) return;
    bevelOuter_ = b;
    update();
}

void TdxfProgressBar::SetBarBevelOuter(TdxfBevelOuter b) {
    if (b == barBevelOuter_) return;
    barBevelOuter_ = b;
    update();
}

void TdxfProgressBar::SetShowText(bool b) {
    if (b == showText_) return;
    showText_ = b;
    update();
}

void TdxfProgressBar::SetShowTextStyle(TdxfShowTextStyle s) {
    if (s == showTextStyle_) return;
    showTextStyle_ = s;
    if (showText_) update();
}

void TdxfProgressBar::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    update();
}

void TdxfProgressBar::SetGlyph(const QPixmap& picture) {
    glyph_ = picture;
    if (!glyph_.isNull()) {
        if (orientation_ == TdxfPBOrientation::orVertical) resize(glyph_.width() + 4, height());
        else resize(width(), glyph_.height() + 4);
        applyGlyphTransparency();
    }
    if (style_ == TdxfPBStyle::sPictures) update();
}

void TdxfProgressBar::SetTransparentGlyph(bool b) {
    transparentGlyph_ = b;
    applyGlyphTransparency();
    update();
}

// The transparent colour of a picture is the colour of its bottom-left pixel.
void TdxfProgressBar::applyGlyphTransparency() {
    if (glyph_.isNull()) return;
    if (!transparentGlyph_) {
        glyph_.setMask(QBitmap());
        return;
    }
    const QColor key = glyph_.toImage().pixelColor(0, glyph_.height() - 1);
    glyph_.setMask(glyph_.createMaskFromColor(key, Qt::MaskInColor));
}

void TdxfProgressBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), toQColor(color_));
    const bool bevelled = bevelOuter_ != TdxfBevelOuter::bvNone;
    drawBevel(p, EdgeRect{0, 0, width(), height()}, bevelOuter_);
    const EdgeRect track = progressTrack(width(), height(), bevelled);
    if (const auto bar = progressBar(track, range_, orientation_)) {
        const QRgb begin = toQColor(beginColor_).rgb(), end = toQColor(endColor_).rgb();
        const bool horizontal = orientation_ == TdxfPBOrientation::orHorizontal;
        switch (style_) {
            case TdxfPBStyle::sSolid:
                p.fillRect(bar->toQRect(), QColor(begin));
                drawBevel(p, *bar, barBevelOuter_);
                break;
            case TdxfPBStyle::sExSolid:
                if (horizontal) {
                    for (int x = bar->left; x < bar->right; ++x)
                        p.fillRect(QRect(x, bar->top, 1, bar->height()),
                                   QColor(progressGradient(begin, end, x - bar->left, track.width())));
                } else {
                    for (int y = bar->bottom - 1; y >= bar->top; --y)
                        p.fillRect(QRect(bar->left, y, bar->width(), 1),
                                   QColor(progressGradient(begin, end, bar->bottom - y, track.height())));
                }
                drawBevel(p, *bar, barBevelOuter_);
                break;
            case TdxfPBStyle::sRectangles:
            case TdxfPBStyle::sExRectangles:
            case TdxfPBStyle::sPictures:
                drawBlocks(p, track, *bar);
                break;
        }
    }
    if (showText_) drawText(p);
}

void TdxfProgressBar::drawBlocks(QPainter& p, const EdgeRect& track, const EdgeRect& bar) const {
    const bool horizontal = orientation_ == TdxfPBOrientation::orHorizontal;
    if (style_ == TdxfPBStyle::sPictures) {
        if (glyph_.isNull()) return;
        const int pitch = horizontal ? glyph_.width() : glyph_.height();
        const bool atMax = range_.position == range_.max;
        const auto pictures = progressBlocks(bar, pitch, orientation_, atMax);
        for (size_t i = 0; i < pictures.size(); ++i) {
            const EdgeRect& r = pictures[i].rect;
            const bool endMark = atMax && i + 1 == pictures.size();
            // Whole steps put the picture at the step's start; the end mark puts it at the last step's end.
            QPoint at;
            if (horizontal) at = QPoint(r.left, bar.top);
            else at = QPoint(bar.left, endMark ? r.bottom - glyph_.height() : r.top - 2);
            p.drawPixmap(at, glyph_);
        }
        return;
    }
    const QRgb begin = toQColor(beginColor_).rgb(), end = toQColor(endColor_).rgb();
    const int thickness = horizontal ? track.width() : track.height();
    const bool reachedMax = range_.position >= range_.max;
    for (const ProgressBlock& b : progressBlocks(bar, blockPitch(track, orientation_), orientation_, reachedMax)) {
        const QRgb fill =
            style_ == TdxfPBStyle::sExRectangles ? progressGradient(begin, end, b.gradientOffset, thickness) : begin;
        p.fillRect(b.rect.toQRect(), QColor(fill));
        drawBevel(p, b.rect, barBevelOuter_);
    }
}

void TdxfProgressBar::drawText(QPainter& p) const {
    const QString text = progressText(range_, showTextStyle_);
    const QFontMetrics metrics(font());
    const int tw = metrics.horizontalAdvance(text), th = metrics.height();
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    if (orientation_ == TdxfPBOrientation::orHorizontal) {
        p.drawText(QRect((width() - tw) / 2, (height() - th) / 2, tw, th), Qt::AlignLeft | Qt::AlignTop, text);
        return;
    }
    // Turned a quarter clockwise: the text runs downward with the glyph tops facing right.
    p.save();
    p.translate(th + (width() - th) / 2, (height() - tw) / 2);
    p.rotate(90);
    p.drawText(QRect(0, 0, tw, th), Qt::AlignLeft | Qt::AlignTop, text);
    p.restore();
}

}  // namespace widgets
