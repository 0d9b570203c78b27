// How TVIkDisp puts pixels on its target: the picture through an off-screen composition
// clipped to the display rectangle, 1-bit images through grey copies, the margins and
// the border.
#include "DisplayEdge.h"
#include "Ikdisp.h"

#include "Ikdllprocs.h"
#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

using namespace Ikdllprocs;
using Ikutils::IkRect;

namespace {

constexpr std::uint32_t kSystemColour = 0x80000000u;
constexpr int kDiagonalCross = 5;

}  // namespace

QColor TVIkDisp::resolved(std::uint32_t colour) const {
    if ((colour & 0xFF000000u) == kSystemColour) {
        // System colours by their index: 15 the button face, 5 the window background.
        const int index = static_cast<int>(colour & 0xFF);
        const QPalette pal = palette();
        if (index == 15) return pal.color(QPalette::Button);
        if (index == 5) return pal.color(QPalette::Base);
        return pal.color(QPalette::Window);
    }
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

static std::uint32_t colorRef(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

void TVIkDisp::makeGrayCopy() {
    if (!Refine1BitImage_ || GrayCopy_ || !Ikdllprocs::ConvertColorTo8Gray) return;
    GrayCopy_ = Ikdllprocs::ConvertColorTo8Gray(ImgHandle_);
    refinedKey_ = RefinedKey{};
}

// Draws the source rectangle of `image` into (x, y, w, h) of the target.
bool TVIkDisp::drawRectOfImage(QPainter& p, IKHANDLE image, int x, int y, int w, int h, int sx, int sy, int sw,
                               int sh) {
    if (!Ikdllprocs::_StretchDIBits || !Ikdllprocs::GetDibPalSize || w <= 0 || h <= 0) return false;
    platform::GlobalLock lock(image);
    if (!lock) return false;
    const auto* header = lock.as<std::uint8_t>();
    const auto& h0 = *lock.as<platform::BitmapInfoHeader>();
    const std::uint8_t* bits = header + h0.biSize + Ikdllprocs::GetDibPalSize(header);
    if (SimpleDispCtrl_) return Ikdllprocs::_StretchDIBits(&p, x, y, w, h, sx, sy, sw, sh, bits, header, 0, 0) != 0;

    // The composition is kept between runs: a new one of this size each run costs more than
    // drawing it, in fresh pages. Every pixel of it is drawn again below, in the device pixels
    // of the target, so that a screen of ratio 2 shows the picture's own detail.
    const double ratio = p.device() ? p.device()->devicePixelRatio() : 1.0;
    const QSize pixels = devicePixels(QSize(w, h), ratio);
    if (composition_.size() != pixels) composition_ = QImage(pixels, QImage::Format_RGB32);
    if (composition_.isNull()) return false;
    composition_.setDevicePixelRatio(1.0);
    bool ok = true;
    {
        QPainter memory(&composition_);
        const int pw = pixels.width(), ph = pixels.height();
        if (ShowInDisp_) ok = Ikdllprocs::_StretchDIBits(&memory, 0, 0, pw, ph, sx, sy, sw, sh, bits, header, 0, 0) != 0;
        else if (Ikdllprocs::_BoxFull) Ikdllprocs::_BoxFull(&memory, 0, 0, pw, ph, colorRef(resolved(Color_)));
    }
    if (!ok) return false;
    composition_.setDevicePixelRatio(ratio);
    // A true-colour target needs no palette realised; the palette is only made and deleted.
    if (Ikdllprocs::CreateBIPalette) {
        if (void* pal = Ikdllprocs::CreateBIPalette(header); pal && IkDeleteBitmapObject) IkDeleteBitmapObject(pal);
    }
    p.save();
    const IkRect& d = layout_.dispIncl;
    if (!toOtherDevice_) p.setClipRect(QRect(d.left, d.top, d.right - d.left + 1, d.bottom - d.top + 1));
    p.drawImage(x, y, composition_);
    p.restore();
    return true;
}

bool TVIkDisp::drawFitted(QPainter& p) {
    const Ikutils::Placement at = Ikutils::fittedPlacement(mode_, layout_.dispIncl, ImageWidth_, ImageHeight_);
    if (!at.drawn) return false;
    ScaleWidth_ = at.scaleWidth;
    ScaleHeight_ = at.scaleHeight;
    const int W = layout_.dispIncl.right - layout_.dispIncl.left + 1;
    const int H = layout_.dispIncl.bottom - layout_.dispIncl.top + 1;
    const RefinedKey key{ScaleWidth_, ScaleHeight_, mode_, W, H};
    if (Refine1BitImage_ && !(key == refinedKey_)) {
        releaseCopy(RefinedCopy_);
        if ((W < ImageWidth_ || H < ImageHeight_) && GrayCopy_ && Ikdllprocs::Resize1Bit)
            RefinedCopy_ = Ikdllprocs::Resize1Bit(GrayCopy_, 0, 0, 0, 0, W, H);
    }
    refinedKey_ = key;
    bool ok;
    if (Refine1BitImage_ && RefinedCopy_)
        ok = drawRectOfImage(p, RefinedCopy_, at.left, at.top, at.width, at.height, 0, 0, W, H);
    else if (Refine1BitImage_ && GrayCopy_)
        ok = drawRectOfImage(p, GrayCopy_, at.left, at.top, at.width, at.height, 0, 0, ImageWidth_, ImageHeight_);
    else
        ok = drawRectOfImage(p, ImgHandle_, at.left, at.top, at.width, at.height, 0, 0, ImageWidth_, ImageHeight_);
    if (!ok || toOtherDevice_) return ok;
    DrawnRect_ = IkRect{at.left, at.top, at.left + at.width, at.top + at.height};
    drawnOnDisplay_ = true;
    return true;
}

bool TVIkDisp::drawActual(QPainter& p) {
    const double s = layoutScale(), t = Refine1BitImageScale_;
    const int W = layout_.dispIncl.right - layout_.dispIncl.left + 1;
    const int H = layout_.dispIncl.bottom - layout_.dispIncl.top + 1;
    Ikutils::Placement at;
    bool ok = false;
    if (Refine1BitImage_ && t > 0) {
        // A copy of the whole image reduced to the display scale, kept between drawings.
        const RefinedKey key{s, s, mode_, W, H};
        if (!(key == refinedKey_)) {
            releaseCopy(RefinedCopy_);
            if (s > 0 && s < t && GrayCopy_ && Ikdllprocs::Resize1Bit)
                RefinedCopy_ = Ikdllprocs::Resize1Bit(GrayCopy_, 0, 0, 0, 0, static_cast<int>(ImageWidth_ * s),
                                          static_cast<int>(ImageHeight_ * s));
            refinedKey_ = key;
        }
        if (RefinedCopy_ && !toOtherDevice_) {
            at = Ikutils::reducedPlacement(layout_.dispIncl, s, ImageWidth_, ImageHeight_);
            if (!at.drawn) return false;
            ok = pictureDeferred_ ||
                 drawRectOfImage(p, RefinedCopy_, at.left, at.top, at.width, at.height,
                                 static_cast<int>(SrcRect_.left * s), static_cast<int>(SrcRect_.top * s), at.width,
                                 at.height);
        }
    }
    if (!at.drawn) {
        at = Ikutils::actualPlacement(layout_.dispIncl, s, SrcRect_, ImageWidth_, ImageHeight_);
        if (!at.drawn) return false;
        IKHANDLE copy = 0;
        if (Refine1BitImage_ && t == 0) {
            releaseCopy(RefinedCopy_);
            if (GrayCopy_ && Ikdllprocs::Resize1Bit && !pictureDeferred_)
                copy = Ikdllprocs::Resize1Bit(GrayCopy_, SrcRect_.left, SrcRect_.top, SrcRect_.left + at.sourceWidth - 1,
                                  SrcRect_.top + at.sourceHeight - 1, at.width, at.height);
        }
        if (pictureDeferred_) {
            ok = true;
        } else if (copy) {
            ok = drawRectOfImage(p, copy, at.left, at.top, at.width, at.height, 0, 0, at.width, at.height);
            releaseCopy(copy);
        } else {
            ok = drawRectOfImage(p, ImgHandle_, at.left, at.top, at.width, at.height, SrcRect_.left, SrcRect_.top,
                                 at.sourceWidth, at.sourceHeight);
        }
    }
    ScaleWidth_ = ScaleHeight_ = s;
    if (!ok || toOtherDevice_) return ok;
    DrawnRect_ = IkRect{at.left, at.top, at.left + at.width, at.top + at.height};
    drawnOnDisplay_ = true;
    return true;
}

void TVIkDisp::drawDispAreaInner(QPainter& p, const IkRect& clientRect, bool whole) {
    const IkRect d0 = Ikutils::displayRectIncl(clientRect, Ikutils::borderInset(BorderVisible_, Appearance_));
    const IkRect d{d0.left, d0.top, d0.right + 1, d0.bottom + 1};
    const std::uint32_t back = colorRef(resolved(Color_)), hatch = colorRef(resolved(InvalidHatchColor_));
    auto fill = [&](const IkRect& r) {
        if (InvalidHatchPattern_ && Ikdllprocs::_BoxFullHatch) Ikdllprocs::_BoxFullHatch(&p, r.left, r.top, r.right, r.bottom, back, hatch, kDiagonalCross);
        else if (Ikdllprocs::_BoxFull) Ikdllprocs::_BoxFull(&p, r.left, r.top, r.right, r.bottom, back);
    };
    if (whole) {
        fill(d);
        return;
    }
    for (const IkRect& strip : Ikutils::marginStrips(d, DrawnRect_)) fill(strip);
}

void TVIkDisp::drawDispAreaOuter(QPainter& p, const IkRect& c) {
    if (!BorderVisible_) return;
    if (Appearance_ == vikFlat) {
        if (Ikdllprocs::_Box) Ikdllprocs::_Box(&p, c.left, c.top, c.right + 1, c.bottom + 1, 1, colorRef(resolved(BorderColor_)));
        return;
    }
    DrawDisplayEdge(p, c, Appearance_ == vikLowered);
}

void TVIkDisp::drawEmpty(QPainter& p) {
    drawDispAreaInner(p, clientIncl(), true);
    drawDispAreaOuter(p, clientIncl());
}
