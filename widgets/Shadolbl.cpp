#include "widgets/Shadolbl.h"

#include <QEvent>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace widgets {

TShadow::TShadow(TColor color, int offsetLeft, int offsetTop)
    : color_(color), offsetLeft_(offsetLeft), offsetTop_(offsetTop) {}

void TShadow::changed() {
    if (OnChange) OnChange();
}

void TShadow::SetVisible(bool b) {
    if (visible_ == b) return;
    visible_ = b;
    changed();
}

void TShadow::SetColor(TColor c) {
    if (color_ == c) return;
    color_ = c;
    changed();
}

void TShadow::SetOffsetLeft(int v) {
    if (offsetLeft_ == v) return;
    offsetLeft_ = v;
    changed();
}

void TShadow::SetOffsetTop(int v) {
    if (offsetTop_ == v) return;
    offsetTop_ = v;
    changed();
}

void TShadow::Assign(const TShadow& other) {
    visible_ = other.visible_;
    color_ = other.color_;
    offsetLeft_ = other.offsetLeft_;
    offsetTop_ = other.offsetTop_;
    changed();
}

TShadowLabel::TShadowLabel(QWidget* parent) : QLabel(parent) {
    shadow_.OnChange = [this] { update(); };
    highlight_.OnChange = [this] { update(); };
    // A transparent label lets the parent show through, so it is never opaque.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    fitToText();
}

template <typename T>
void TShadowLabel::assign(T& member, T value, bool repaint) {
    if (member == value) return;
    member = value;
    if (repaint) update();
}

void TShadowLabel::SetCaption(const QString& caption) {
    setText(caption);
    fitToText();
    update();
}

void TShadowLabel::SetAlignment(TAlignment a) { assign(alignment_, a); }
void TShadowLabel::SetLayout(TTextLayout l) { assign(layout_, l); }
void TShadowLabel::SetShowAccelChar(bool b) { assign(showAccelChar_, b); }
void TShadowLabel::SetColor(TColor c) { assign(color_, c); }
void TShadowLabel::SetFontColor(TColor c) { assign(fontColor_, c); }
void TShadowLabel::SetEllipsis(TEllipsis e) { assign(ellipsis_, e); }
void TShadowLabel::SetFlickerless(bool b) { assign(flickerless_, b); }
void TShadowLabel::SetGradation(bool b) { assign(gradation_, b); }
void TShadowLabel::SetGradationColor(TColor c) { assign(gradationColor_, c); }
void TShadowLabel::SetGradateVert(bool b) { assign(gradateVert_, b); }
void TShadowLabel::SetTextGradation(TTextGradation g) { assign(textGradation_, g); }
void TShadowLabel::SetTextGradationColor(TColor c) {
    assign(textGradationColor_, c, textGradation_ != TTextGradation::tgNone);
}
void TShadowLabel::SetTextMidColor(TColor c) {
    assign(textMidColor_, c, textGradation_ == TTextGradation::tg3Colors);
}

void TShadowLabel::SetTransparent(bool b) { assign(transparent_, b); }

void TShadowLabel::SetWordWrap(bool b) {
    assign(wordWrap_, b);
    fitToText();
}

void TShadowLabel::SetAutoSize(bool b) {
    assign(autoSize_, b);
    fitToText();
}

void TShadowLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) fitToText();
    if (event->type() == QEvent::EnabledChange) update();
}

int TShadowLabel::textFlags() const {
    int flags = int(toQtAlignment(alignment_)) | Qt::AlignTop | Qt::TextExpandTabs;
    if (wordWrap_) flags |= Qt::TextWordWrap;
    if (showAccelChar_) flags |= Qt::TextShowMnemonic;
    return flags;
}

QString TShadowLabel::displayText() const {
    const QString text = shadowLabelText(this->text(), showAccelChar_);
    const QFontMetrics fm(font());
    switch (ellipsis_) {
        case TEllipsis::elEnd: return fm.elidedText(text, Qt::ElideRight, width(), textFlags());
        case TEllipsis::elPath:
            return pathEllipsis(text, width(),
                                [&fm](const QString& s) { return fm.horizontalAdvance(s); });
        case TEllipsis::elNone: break;
    }
    return text;
}

QSize TShadowLabel::measuredTextSize(int width) const {
    const QFontMetrics fm(font());
    const QString text = shadowLabelText(this->text(), showAccelChar_);
    return fm.boundingRect(QRect(0, 0, width, 0x10000), textFlags(), text).size();
}

QSize TShadowLabel::sizeHint() const {
    return measuredTextSize(wordWrap_ ? width() : 0x10000);
}

void TShadowLabel::fitToText() {
    if (!autoSize_) return;
    const QSize text = sizeHint();
    if (wordWrap_)
        resize(width(), text.height());
    else
        resize(text);
}

void TShadowLabel::paintEvent(QPaintEvent*) {
    if (flickerless_ && !transparent_) {
        // Composed off screen, in the screen's device pixels, and copied in one go.
        const qreal ratio = devicePixelRatio();
        QImage image((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        {
            QPainter ip(&image);
            paintLabel(ip);
        }
        QPainter(this).drawImage(0, 0, image);
    } else {
        QPainter p(this);
        paintLabel(p);
    }
}

void TShadowLabel::paintBackground(QPainter& p) const {
    if (!gradation_) {
        p.fillRect(rect(), toQColor(color_));
        return;
    }
    const QRgb c1 = toQColor(gradationColor_).rgb();
    const QRgb c2 = toQColor(color_).rgb();
    const int lines = gradateVert_ ? height() : width();
    const std::vector<QRgb> colors = gradientLines(c1, c2, lines);
    for (int k = 0; k < lines; ++k) {
        const QRect line = gradateVert_ ? QRect(0, k, width(), 1) : QRect(k, 0, 1, height());
        p.fillRect(line, QColor(colors[k]));
    }
}

void TShadowLabel::paintLabel(QPainter& p) const {
    if (!transparent_) paintBackground(p);

    const QString text = displayText();
    const int flags = textFlags();
    const int textHeight = measuredTextSize(width()).height();
    const QRect textRect = rect().translated(0, shadowLabelTextOffset(layout_, height(), textHeight));
    const ShadowLabelColors colors =
        shadowLabelColors(isEnabled(), shadow_.Color(), highlight_.Color(), fontColor_);
    const QRgb textColor = toQColor(colors.text).rgb();
    const std::vector<TextRun> runs =
        textGradientRuns(text, textGradation_, textColor, toQColor(textMidColor_).rgb(),
                         toQColor(textGradationColor_).rgb());

    p.setFont(font());
    p.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics fm(font());
    // One copy of the text; with a text gradient each character is drawn at its own left
    // edge, in the copy's colour or, for the text itself, in its gradient colour.
    auto drawCopy = [&](const QRect& r, const QColor& color, bool gradient) {
        if (runs.empty()) {
            p.setPen(color);
            p.drawText(r, flags, text);
            return;
        }
        int left = r.left();
        for (const TextRun& run : runs) {
            p.setPen(gradient ? QColor(run.color) : color);
            p.drawText(QRect(left, r.top(), r.right() - left + 1, r.height()), flags, run.text);
            left += fm.horizontalAdvance(run.text);
        }
    };
    if (shadow_.Visible())
        drawCopy(textRect.translated(shadow_.OffsetLeft(), shadow_.OffsetTop()),
                 toQColor(colors.shadow), false);
    if (highlight_.Visible())
        drawCopy(textRect.translated(highlight_.OffsetLeft(), highlight_.OffsetTop()),
                 toQColor(colors.highlight), false);
    drawCopy(textRect, QColor(textColor), true);
}

}  // namespace widgets
