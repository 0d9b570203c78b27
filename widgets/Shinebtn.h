#pragma once
// TShineSpeedButton: a flat push button with a glyph and a caption that lights up while the
// pointer is over it, can latch down in groups like a tool-bar button, and draws face, frame,
// glyph and caption from one colour set for the released and one for the pressed look.

#include "widgets/ShinebtnRules.h"
#include "widgets/TColor.h"

#include <QFont>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>

class QPainter;

namespace widgets {

// The colours of one look. Every change is reported through OnChange.
class TShineBtnColors {
public:
    explicit TShineBtnColors(TColor face) : color_(face) {}
    TShineBtnColors(const TShineBtnColors&) = delete;
    TShineBtnColors& operator=(const TShineBtnColors&) = delete;

    TColor Color() const { return color_; }
    void SetColor(TColor c) { set(color_, c); }
    TColor Highlight() const { return highlight_; }
    void SetHighlight(TColor c) { set(highlight_, c); }
    TColor Shadow() const { return shadow_; }
    void SetShadow(TColor c) { set(shadow_, c); }
    TColor DarkShadow() const { return darkShadow_; }
    void SetDarkShadow(TColor c) { set(darkShadow_, c); }
    TColor GradColor() const { return gradColor_; }
    void SetGradColor(TColor c) { set(gradColor_, c); }
    bool GradVertical() const { return gradVertical_; }
    void SetGradVertical(bool b) { set(gradVertical_, b); }
    bool Gradation() const { return gradation_; }
    void SetGradation(bool b) { set(gradation_, b); }

    ShineColorSet set() const { return {color_, highlight_, shadow_, darkShadow_}; }

    std::function<void()> OnChange;

private:
    template <typename T>
    void set(T& member, T value) {
        if (member == value) return;
        member = value;
        if (OnChange) OnChange();
    }

    TColor color_;
    TColor highlight_ = kBtnHighlight;
    TColor shadow_ = kBtnShadow;
    TColor darkShadow_ = kWindowFrame;
    TColor gradColor_ = kBlue;
    bool gradVertical_ = false;
    bool gradation_ = false;
};

class TShineSpeedButton : public QWidget {
    Q_OBJECT
public:
    using MouseHandler = std::function<void(TShineSpeedButton* sender, Qt::KeyboardModifiers shift, int x, int y)>;

    explicit TShineSpeedButton(QWidget* parent = nullptr);

    // The look shown now.
    TShineBtnState State() const;

    bool Down() const { return down_; }
    void SetDown(bool down);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool allow);
    bool ClickDownHook() const { return clickDownHook_; }
    void SetClickDownHook(bool b) { clickDownHook_ = b; }
    bool AccelCharDown() const { return accelCharDown_; }
    void SetAccelCharDown(bool b) { accelCharDown_ = b; }

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    TShineFrameType FrameType() const { return frameType_; }
    void SetFrameType(TShineFrameType t) { assign(frameType_, t); }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool b);
    bool ActiveFrame() const { return activeFrame_; }
    void SetActiveFrame(bool b) { assign(activeFrame_, b); }
    bool UpFrame() const { return upFrame_; }
    void SetUpFrame(bool b) { assign(upFrame_, b); }
    bool DownFrame() const { return downFrame_; }
    void SetDownFrame(bool b) { assign(downFrame_, b); }
    TActiveImage ActiveImage() const { return activeImage_; }
    void SetActiveImage(TActiveImage e) { assign(activeImage_, e); }
    TDisabledImage DisabledImage() const { return disabledImage_; }
    void SetDisabledImage(TDisabledImage e) { assign(disabledImage_, e); }
    TColor DisabledHighlight() const { return disabledHighlight_; }
    void SetDisabledHighlight(TColor c) { assign(disabledHighlight_, c); }
    TColor DisabledShadow() const { return disabledShadow_; }
    void SetDisabledShadow(TColor c) { assign(disabledShadow_, c); }
    TShineBtnColors& Colors() { return colors_; }
    TShineBtnColors& PressedColors() { return pressedColors_; }
    TColor ShineColor() const { return shineColor_; }
    void SetShineColor(TColor c) { assign(shineColor_, c); }
    // The caption's font is the widget's font; its colour is FontColor.
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor c) { assign(fontColor_, c); }
    QFont ActiveFont() const { return activeFont_; }
    void SetActiveFont(const QFont& f);
    TColor ActiveFontColor() const { return activeFontColor_; }
    void SetActiveFontColor(TColor c) { assign(activeFontColor_, c); }
    // Offset copies of the caption; kNoColor leaves a copy out.
    TColor FontHighlight() const { return fontHighlight_; }
    void SetFontHighlight(TColor c) { assign(fontHighlight_, c); }
    TColor FontShadow() const { return fontShadow_; }
    void SetFontShadow(TColor c) { assign(fontShadow_, c); }
    TShineBtnLayout Layout() const { return layout_; }
    void SetLayout(TShineBtnLayout l) { assign(layout_, l); }
    int Margin() const { return margin_; }
    void SetMargin(int m) { assign(margin_, m); }
    int Spacing() const { return spacing_; }
    void SetSpacing(int s) { assign(spacing_, s); }
    // The glyph; its bottom-left pixel gives its transparent colour.
    QImage Glyph() const { return glyph_; }
    void SetGlyph(const QImage& glyph);

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    MouseHandler OnMouseEnter;
    MouseHandler OnMouseLeave;

    // Interval of the timer that detects the pointer leaving without a leave event.
    static constexpr int kLeavePollMs = 200;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    template <typename T>
    void assign(T& member, T value) {
        if (member == value) return;
        member = value;
        update();
    }
    void mouseEntered(Qt::KeyboardModifiers shift, QPoint pos);
    void mouseLeft(Qt::KeyboardModifiers shift, QPoint pos);
    void pollPointer();
    void reevaluateHover(QPoint pos, Qt::KeyboardModifiers shift);
    // Raises the other down buttons of the group when this one is down; shares AllowAllUp.
    void syncGroup();
    // Runs the click handler; false when the handler destroyed the button.
    bool click();
    static QRgb rgb(TColor c) { return toQColor(c).rgb(); }
    void paintFace(QPainter& p, const TShineBtnColors& set) const;
    void paintGlyph(QPainter& p, TShineBtnState s, QPoint at) const;
    void paintCaption(QPainter& p, TShineBtnState s, const QFont& font, QRect at) const;
    void paintFrame(QPainter& p, TShineBtnState s, const TShineBtnColors& set) const;

    bool down_ = false;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool clickDownHook_ = false;
    bool accelCharDown_ = false;
    QString caption_;
    TShineFrameType frameType_ = TShineFrameType::ftNormalFrame;
    bool transparent_ = false;
    bool activeFrame_ = true;
    bool upFrame_ = true;
    bool downFrame_ = true;
    TActiveImage activeImage_ = TActiveImage::aiFrameLight;
    TDisabledImage disabledImage_ = TDisabledImage::diDefault;
    TColor disabledHighlight_ = kBtnHighlight;
    TColor disabledShadow_ = kBtnShadow;
    TShineBtnColors colors_{kBtnFace};
    TShineBtnColors pressedColors_{kBtnHighlight};
    TColor shineColor_ = kYellow;
    TColor fontColor_ = kBtnText;
    QFont activeFont_;
    TColor activeFontColor_ = kHighlightColor;
    TColor fontHighlight_ = kNoColor;
    TColor fontShadow_ = kNoColor;
    TShineBtnLayout layout_ = TShineBtnLayout::blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    QImage glyph_;

    bool mouseIn_ = false;      // the pointer is over the button (hover)
    bool pressing_ = false;     // left button held since a press on the button
    bool pressInside_ = false;  // while pressing: pointer inside the client rectangle
    bool clickHook_ = false;    // inside the click handler with ClickDownHook
    int shortcutId_ = 0;
    QTimer leavePoll_;
};

}  // namespace widgets
