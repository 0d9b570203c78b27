#include "widgets/Gradbox.h"

#include <QPainter>

namespace widgets {

TGradBox::TGradBox(QWidget* parent) : QWidget(parent) {
    resize(200, 100);
    // With gsNone nothing is painted inside, so the parent must show through.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

template <typename T>
void TGradBox::assign(T& member, T value, bool repaint) {
    if (member == value) return;
    member = value;
    if (repaint) update();
}

void TGradBox::SetTopColor(TColor c) { assign(topColor_, c); }
void TGradBox::SetLastColor(TColor c) { assign(lastColor_, c); }
void TGradBox::SetGradStyle(TGradStyle s) { assign(gradStyle_, s); }
void TGradBox::SetDrawOutLine(bool b) { assign(drawOutLine_, b); }
void TGradBox::SetOutLineColor(TColor c) { assign(outLineColor_, c, drawOutLine_); }
void TGradBox::SetCaptionLeft(int v) { assign(captionLeft_, v); }
void TGradBox::SetCaptionTop(int v) { assign(captionTop_, v); }
void TGradBox::SetFont3D(bool b) { assign(font3D_, b); }
void TGradBox::SetStyle3D(TFontStyle3D s) { assign(style3D_, s); }
void TGradBox::SetBackFont(TColor c) { assign(backFont_, c, font3D_); }
void TGradBox::SetFontDepth(std::uint8_t d) { assign(fontDepth_, d, font3D_); }
void TGradBox::SetCaption(const QString& text) { assign(caption_, text); }
void TGradBox::SetFontColor(TColor c) { assign(fontColor_, c); }

void TGradBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (gradStyle_ != TGradStyle::gsNone) {
        const bool topFirst = gradStartsWithTopColor(gradStyle_);
        const QRgb top = toQColor(topColor_).rgb();
        const QRgb last = toQColor(lastColor_).rgb();
        const auto table = gradColorTable(topFirst ? top : last, topFirst ? last : top);
        for (const GradBand& band : gradBands(gradStyle_, width(), height()))
            p.fillRect(band.rect, QColor(table[band.entry]));
    }
    if (drawOutLine_) {
        // A 1-pixel frame on the outermost ring of pixels, no fill.
        p.setPen(QPen(toQColor(outLineColor_), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(0, 0, width() - 1, height() - 1));
    }
    if (!caption_.isEmpty()) {
        p.setFont(font());
        const QRect box(captionLeft_, captionTop_, width() - captionLeft_, height() - captionTop_);
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs;
        auto drawAt = [&](int dx, int dy, const QColor& color) {
            p.setPen(color);
            p.drawText(box.translated(dx, dy), flags, caption_);
        };
        const QColor text = toQColor(fontColor_);
        const QColor shadow = toQColor(backFont_);
        const int d = fontDepth_;
        if (!isEnabled()) {
            drawAt(1, 1, Qt::white);
            drawAt(0, 0, QColor(128, 128, 128));
        } else if (!font3D_) {
            drawAt(0, 0, text);
        } else {
            switch (style3D_) {
                case TFontStyle3D::fsLowShadow: drawAt(d, d, shadow); break;
                case TFontStyle3D::fsRaiseShadow: drawAt(-d, -d, shadow); break;
                case TFontStyle3D::fsLow3D:
                    for (int i = 1; i <= d; ++i) drawAt(i, i, shadow);
                    break;
                case TFontStyle3D::fsRaise3D:
                    for (int i = 1; i <= d; ++i) drawAt(-i, -i, shadow);
                    break;
            }
            drawAt(0, 0, text);
        }
    }
    if (OnPaint) OnPaint();
}

}  // namespace widgets
