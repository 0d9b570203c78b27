#pragma once
// TGradBox: a two-colour gradient with an optional outline and a caption that may carry a
// shadow or a 3-D extrusion. Used for the caption strips of the tabs and as dialog backgrounds.

#include "widgets/GradboxGeometry.h"
#include "widgets/TColor.h"

#include <QWidget>

#include <cstdint>
#include <functional>

namespace widgets {

enum class TFontStyle3D { fsLowShadow, fsRaiseShadow, fsLow3D, fsRaise3D };

class TGradBox : public QWidget {
    Q_OBJECT
public:
    explicit TGradBox(QWidget* parent = nullptr);

    TColor TopColor() const { return topColor_; }
    void SetTopColor(TColor c);
    TColor LastColor() const { return lastColor_; }
    void SetLastColor(TColor c);
    TGradStyle GradStyle() const { return gradStyle_; }
    void SetGradStyle(TGradStyle s);
    bool DrawOutLine() const { return drawOutLine_; }
    void SetDrawOutLine(bool b);
    TColor OutLineColor() const { return outLineColor_; }
    void SetOutLineColor(TColor c);
    int CaptionLeft() const { return captionLeft_; }
    void SetCaptionLeft(int v);
    int CaptionTop() const { return captionTop_; }
    void SetCaptionTop(int v);
    bool Font3D() const { return font3D_; }
    void SetFont3D(bool b);
    TFontStyle3D Style3D() const { return style3D_; }
    void SetStyle3D(TFontStyle3D s);
    TColor BackFont() const { return backFont_; }
    void SetBackFont(TColor c);
    std::uint8_t FontDepth() const { return fontDepth_; }
    void SetFontDepth(std::uint8_t d);
    QString Caption() const { return caption_; }
    void SetCaption(const QString& text);
    // Colour of the caption text (the control's font colour).
    void SetFontColor(TColor c);

    std::function<void()> OnPaint;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    template <typename T>
    void assign(T& member, T value, bool repaint = true);

    TColor topColor_ = 32768;
    TColor lastColor_ = 65280;
    TGradStyle gradStyle_ = TGradStyle::gsTopBottom;
    bool drawOutLine_ = false;
    TColor outLineColor_ = 0;
    int captionLeft_ = 10;
    int captionTop_ = 10;
    bool font3D_ = false;
    TFontStyle3D style3D_ = TFontStyle3D::fsRaise3D;
    TColor backFont_ = 65535;
    std::uint8_t fontDepth_ = 1;
    QString caption_;
    TColor fontColor_ = kBlack;
};

}  // namespace widgets
