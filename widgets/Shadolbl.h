#pragma once
// TShadowLabel: a label whose caption is drawn with a drop shadow and a highlight (two offset
// copies in their own colours), optionally over a gradient background and with a colour
// gradient running through the characters. Used for the field labels of the dialogs.

#include "widgets/ShadolblGeometry.h"
#include "widgets/TColor.h"
#include "widgets/TextAlignment.h"

#include <QLabel>

#include <functional>

namespace widgets {

// One offset copy of a label's text. Every change is reported through OnChange.
class TShadow {
public:
    TShadow(TColor color, int offsetLeft, int offsetTop);
    TShadow(const TShadow&) = delete;
    TShadow& operator=(const TShadow&) = delete;

    bool Visible() const { return visible_; }
    void SetVisible(bool b);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    int OffsetLeft() const { return offsetLeft_; }
    void SetOffsetLeft(int v);
    int OffsetTop() const { return offsetTop_; }
    void SetOffsetTop(int v);
    // Copies the four values of another shadow.
    void Assign(const TShadow& other);

    std::function<void()> OnChange;

private:
    void changed();

    bool visible_ = true;
    TColor color_;
    int offsetLeft_;
    int offsetTop_;
};

class TShadowLabel : public QLabel {
    Q_OBJECT
public:
    explicit TShadowLabel(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout l);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool b);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool b);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool b);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool b);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor c);
    // The control that takes the focus on the caption's accelerator key.
    QWidget* FocusControl() const { return buddy(); }
    void SetFocusControl(QWidget* control) { setBuddy(control); }

    TShadow& Shadow() { return shadow_; }
    void SetShadow(const TShadow& s) { shadow_.Assign(s); }
    TShadow& Highlight() { return highlight_; }
    void SetHighlight(const TShadow& s) { highlight_.Assign(s); }
    TEllipsis Ellipsis() const { return ellipsis_; }
    void SetEllipsis(TEllipsis e);
    bool Flickerless() const { return flickerless_; }
    void SetFlickerless(bool b);
    bool Gradation() const { return gradation_; }
    void SetGradation(bool b);
    TColor GradationColor() const { return gradationColor_; }
    void SetGradationColor(TColor c);
    bool GradateVert() const { return gradateVert_; }
    void SetGradateVert(bool b);
    TTextGradation TextGradation() const { return textGradation_; }
    void SetTextGradation(TTextGradation g);
    TColor TextGradationColor() const { return textGradationColor_; }
    void SetTextGradationColor(TColor c);
    TColor TextMidColor() const { return textMidColor_; }
    void SetTextMidColor(TColor c);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    template <typename T>
    void assign(T& member, T value, bool repaint = true);
    int textFlags() const;
    QString displayText() const;
    QSize measuredTextSize(int width) const;
    void fitToText();
    void paintBackground(QPainter& p) const;
    void paintLabel(QPainter& p) const;

    TAlignment alignment_ = TAlignment::taLeftJustify;
    TTextLayout layout_ = TTextLayout::tlTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool transparent_ = false;
    bool autoSize_ = true;
    TColor color_ = static_cast<TColor>(0x8000000F);      // button face
    TColor fontColor_ = static_cast<TColor>(0x80000008);  // window text
    TShadow shadow_{rgbColor(192, 192, 192), 1, 1};
    TShadow highlight_{kWhite, -1, -1};
    TEllipsis ellipsis_ = TEllipsis::elNone;
    bool flickerless_ = true;
    bool gradation_ = false;
    TColor gradationColor_ = rgbColor(0, 0, 255);
    bool gradateVert_ = false;
    TTextGradation textGradation_ = TTextGradation::tgNone;
    TColor textGradationColor_ = rgbColor(128, 0, 0);
    TColor textMidColor_ = rgbColor(0, 0, 128);
};

}  // namespace widgets
