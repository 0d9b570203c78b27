#pragma once
// TdxfProgressBar: a progress bar filled from one end in proportion to Position, as a solid
// bar, blocks, a colour gradient, gradient-coloured blocks or a repeated picture, with an
// optional percentage or position text.

#include "widgets/DxfprogressbarGeometry.h"
#include "widgets/TColor.h"

#include <QPixmap>
#include <QWidget>

namespace widgets {

class TdxfProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit TdxfProgressBar(QWidget* parent = nullptr);

    int Min() const { return range_.min; }
    void SetMin(int value);  // refused above Max
    int Max() const { return range_.max; }
    void SetMax(int value);  // refused below Min
    int Position() const { return range_.position; }
    void SetPosition(int value);
    int Step() const { return step_; }
    void SetStep(int value) { step_ = value; }
    void StepIt() { SetPosition(range_.position + step_); }
    void StepBy(int delta) { SetPosition(range_.position + delta); }

    TdxfPBOrientation Orientation() const { return orientation_; }
    void SetOrientation(TdxfPBOrientation o);
    TdxfPBStyle Style() const { return style_; }
    void SetStyle(TdxfPBStyle s);
    TColor BeginColor() const { return beginColor_; }
    void SetBeginColor(TColor c);
    TColor EndColor() const { return endColor_; }
    void SetEndColor(TColor c);
    TdxfBevelOuter BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TdxfBevelOuter b);
    TdxfBevelOuter BarBevelOuter() const { return barBevelOuter_; }
    void SetBarBevelOuter(TdxfBevelOuter b);
    bool ShowText() const { return showText_; }
    void SetShowText(bool b);
    TdxfShowTextStyle ShowTextStyle() const { return showTextStyle_; }
    void SetShowTextStyle(TdxfShowTextStyle s);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    const QPixmap& Glyph() const { return glyph_; }
    void SetGlyph(const QPixmap& picture);
    bool TransparentGlyph() const { return transparentGlyph_; }
    void SetTransparentGlyph(bool b);

    // The band a change of position from `oldPosition` repaints.
    QRect InvalidationBand(int oldPosition) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyGlyphTransparency();
    int pitchForStyle(const EdgeRect& track) const;
    void drawBlocks(class QPainter& p, const EdgeRect& track, const EdgeRect& bar) const;
    void drawText(class QPainter& p) const;

    ProgressRange range_;
    int step_ = 10;
    TdxfPBOrientation orientation_ = TdxfPBOrientation::orVertical;
    TdxfPBStyle style_ = TdxfPBStyle::sRectangles;
    TColor beginColor_ = rgbColor(0, 0, 128);
    TColor endColor_ = kWhite;
    TdxfBevelOuter bevelOuter_ = TdxfBevelOuter::bvLowered;
    TdxfBevelOuter barBevelOuter_ = TdxfBevelOuter::bvNone;
    bool showText_ = false;
    TdxfShowTextStyle showTextStyle_ = TdxfShowTextStyle::stsPercent;
    TColor color_ = TColor(0x8000000F);  // button face
    QPixmap glyph_;
    bool transparentGlyph_ = true;
};

// A 1-pixel sunken (lowered) or raised edge on the rectangle's outermost ring.
void drawBevel(class QPainter& p, const EdgeRect& r, TdxfBevelOuter bevel);

}  // namespace widgets
