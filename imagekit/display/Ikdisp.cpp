#include "Ikdisp.h"

#include "Ikdllprocs.h"
#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <QPainter>
#include <cmath>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>

using namespace Ikdllprocs;
using Ikutils::IkRect;

TVIkDisp::TVIkDisp(QWidget* parent) : QWidget(parent), attachment_(vikGroupMain) {
    resize(100, 100);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setWindowTitle(QStringLiteral("RoduvIzi7"));
    hBar_ = new QScrollBar(Qt::Horizontal, this);
    vBar_ = new QScrollBar(Qt::Vertical, this);
    hBar_->hide();
    vBar_->hide();
    initInput();
    if (IkVectorGdipStart) gdipToken_ = IkVectorGdipStart();
    layoutRatio_ = devicePixelRatio();
    layout_ = Ikutils::computeLayout(width(), height(), 0, 0, 0, 0, layoutScale(), false, false, false);
    createPanWindow();
}

TVIkDisp::~TVIkDisp() {
    destroyPanWindow();
    releaseCopy(GrayCopy_);
    releaseCopy(RefinedCopy_);
    if (IkVectorGdipEnd) IkVectorGdipEnd(gdipToken_);
}

void TVIkDisp::releaseCopy(IKHANDLE& copy) {
    if (copy && IkFreeMemory) IkFreeMemory(copy);
    copy = 0;
}

void TVIkDisp::DoEndDispImage(int originX, int originY, int left, int top, int right, int bottom, double sw,
                              double sh) {
    if (OnEndDispImage) OnEndDispImage(this, originX, originY, left, top, right, bottom, sw, sh);
}

// ---- surface ------------------------------------------------------------------------

QSize TVIkDisp::devicePixels(QSize logical, double ratio) {
    return QSize(static_cast<int>(std::ceil(logical.width() * ratio)),
                 static_cast<int>(std::ceil(logical.height() * ratio)));
}

QPainter* TVIkDisp::beginSurface() {
    const double ratio = devicePixelRatio();
    if (surface_.size() != devicePixels(size(), ratio) || surface_.devicePixelRatio() != ratio) {
        surface_ = QImage(devicePixels(size(), ratio), QImage::Format_RGB32);
        surface_.setDevicePixelRatio(ratio);
        surface_.fill(resolved(Color_));
    }
    if (surface_.isNull()) return nullptr;
    surfacePainter_ = new QPainter(&surface_);
    return surfacePainter_;
}

void TVIkDisp::endSurface() {
    delete surfacePainter_;
    surfacePainter_ = nullptr;
    surfaceCurrent_ = true;
    update();
}

void TVIkDisp::invalidate() {
    surfaceCurrent_ = false;
    update();
}

void TVIkDisp::paintEvent(QPaintEvent*) {
    // Moved to a screen of another pixel ratio: the same scale now shows another part.
    if (devicePixelRatio() != layoutRatio_) imageDispInit();
    if (!surfaceCurrent_ || surface_.size() != devicePixels(size(), devicePixelRatio())) {
        if (QPainter* p = beginSurface()) {
            paintSurface(*p);
            delete surfacePainter_;
            surfacePainter_ = nullptr;
        }
    }
    surfaceCurrent_ = false;
    QPainter widget(this);
    widget.drawImage(0, 0, surface_);
}

void TVIkDisp::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (OnResize) OnResize(this);
    imageDispInit();
    invalidate();
}

// Paint: the empty area in vikClear or when the run draws nothing.
void TVIkDisp::paintSurface(QPainter& p) {
    if (mode_ == vikClear) {
        hideScrollBars();
        drawEmpty(p);
        if (panVisible()) hidePanWindow();
        return;
    }
    const IkRect client = clientIncl();
    if (!imageDispMain(&p, &client, false)) {
        drawEmpty(p);
        if (panVisible() && !toOtherDevice_) hidePanWindow();
    }
}

void TVIkDisp::PaintTo(QPainter& target) {
    const double ratio = target.device() ? target.device()->devicePixelRatio() : 1.0;
    QImage composed(devicePixels(size(), ratio), QImage::Format_RGB32);
    if (composed.isNull()) return;
    composed.setDevicePixelRatio(ratio);
    composed.fill(resolved(Color_));
    {
        QPainter p(&composed);
        toOtherDevice_ = true;
        paintSurface(p);
        toOtherDevice_ = false;
    }
    target.drawImage(0, 0, composed);
}

// ---- layout -------------------------------------------------------------------------

bool TVIkDisp::imageUsable() {
    // A handle freed by its owner is noticed here and dropped.
    if (ImgHandle_ && (platform::globalFlags(ImgHandle_) & platform::kGlobalInvalidHandle)) ImgHandle_ = 0;
    return ImgHandle_ != 0;
}

void TVIkDisp::hideScrollBars() {
    hBar_->hide();
    vBar_->hide();
    layout_.hBar = layout_.vBar = false;
}

void TVIkDisp::imageDispInit() {
    const int inset = Ikutils::borderInset(BorderVisible_, Appearance_);
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    if (imageUsable()) {
        platform::GlobalLock lock(ImgHandle_);
        if (lock) {
            const auto& h = *lock.as<platform::BitmapInfoHeader>();
            ImageWidth_ = h.biWidth;
            ImageHeight_ = h.biHeight < 0 ? -h.biHeight : h.biHeight;
        }
    }
    const bool wanted = ImgHandle_ && ScrollBar_ && mode_ == vikActualSize;
    layoutRatio_ = devicePixelRatio();
    layout_ = Ikutils::computeLayout(width(), height(), extent, inset, ImgHandle_ ? ImageWidth_ : 0,
                                     ImgHandle_ ? ImageHeight_ : 0, layoutScale(), wanted, layout_.hBar, layout_.vBar);
    const int cw = layout_.clientIncl.right + 1, ch = layout_.clientIncl.bottom + 1;
    hBar_->setVisible(layout_.hBar);
    vBar_->setVisible(layout_.vBar);
    if (layout_.hBar) {
        hBar_->setGeometry(0, ch, cw, extent);
        hBar_->setRange(0, std::max(ImageWidth_ - 1 - (layout_.visibleWidth - 1), 0));
        hBar_->setPageStep(layout_.visibleWidth);
    }
    if (layout_.vBar) {
        vBar_->setGeometry(cw, 0, extent, ch);
        vBar_->setRange(0, std::max(ImageHeight_ - 1 - (layout_.visibleHeight - 1), 0));
        vBar_->setPageStep(layout_.visibleHeight);
    }
}

// ---- display run --------------------------------------------------------------------

bool TVIkDisp::imageDispMain(QPainter* dc, const IkRect* rectIncl, bool scrollStep) {
    if (!imageUsable() || mode_ == vikClear) return false;
    drawnOnDisplay_ = false;
    makeGrayCopy();
    if (mode_ == vikActualSize) {
        SrcRect_ = scrollStep ? Ikutils::clampSourceRect(SrcRect_, layout_.visibleWidth, layout_.visibleHeight,
                                                         ImageWidth_, ImageHeight_)
                              : Ikutils::actualSourceRect(StartX_, StartY_, DispCenterX_, DispCenterY_, layoutScale(),
                                                          layout_.dispIncl, layout_.visibleWidth,
                                                          layout_.visibleHeight, ImageWidth_, ImageHeight_);
    } else {
        SrcRect_ = IkRect{0, 0, ImageWidth_ - 1, ImageHeight_ - 1};
    }
    QPainter* p = dc ? dc : beginSurface();
    if (!p) {
        ErrorCode_ = kStatusNoMemory;
        return false;
    }
    const bool drawn = mode_ == vikActualSize ? drawActual(*p) : drawFitted(*p);
    StartX_ = SrcRect_.left;
    StartY_ = SrcRect_.top;
    drawDispAreaInner(*p, rectIncl ? *rectIncl : clientIncl(), false);
    if (BorderVisible_) drawDispAreaOuter(*p, clientIncl());
    if (!dc) endSurface();
    if (mode_ == vikActualSize && ScrollBar_) {
        if (layout_.hBar) hBar_->setValue(SrcRect_.left);
        if (layout_.vBar) vBar_->setValue(SrcRect_.top);
    }
    if (mode_ != vikActualSize && panVisible()) hidePanWindow();
    DispCenterX_ = DispCenterY_ = 0;
    if (drawnOnDisplay_)
        DoEndDispImage(DrawnRect_.left, DrawnRect_.top, SrcRect_.left, SrcRect_.top, SrcRect_.right, SrcRect_.bottom,
                       ScaleWidth_, ScaleHeight_);
    return drawn;
}

void TVIkDisp::SetImgHandle(IKHANDLE image) {
    panRecordedScale_ = 0;
    ScaleWidth_ = ScaleHeight_ = 1.0;
    hBar_->setValue(0);
    vBar_->setValue(0);
    hideScrollBars();
    ImgHandle_ = image;
    releaseCopy(GrayCopy_);
    releaseCopy(RefinedCopy_);
    refinedKey_ = RefinedKey{};
    const bool panWasVisible = panVisible();
    if (panWasVisible) hidePanWindow();
    if (!imageUsable() || !platform::globalIsValid(image)) {
        // The old picture stays on the surface until the next paint.
        ImgHandle_ = 0;
        return;
    }
    IKIMAGEINFO info{};
    if (!IkGetImageType || !IkGetImageType(ImgHandle_, &info) || info.kind != IK_KIND_RASTER) {
        ImgHandle_ = 0;
        return;
    }
    std::int32_t xdpi = 0, ydpi = 0;
    if (IkGetDpi) IkGetDpi(ImgHandle_, &xdpi, &ydpi);
    Xdpi_ = xdpi > 0 ? xdpi : 72;
    Ydpi_ = ydpi > 0 ? ydpi : 72;
    imageDispInit();
    imageDispMain(nullptr, nullptr, false);
    if (panWasVisible && mode_ == vikActualSize) {
        showPanImage();
        dispPanRect();
    }
}

bool TVIkDisp::Display(TVIkDispMode mode) {
    if (mode == vikFitToWidth || mode == vikFitToHeight) {
        ErrorCode_ = kStatusUnsupportedMode;
        return false;
    }
    ErrorCode_ = kStatusOk;
    if (mode != vikActualSize) hideScrollBars();
    if (mode == vikClear) {
        mode_ = vikClear;
        invalidate();
        return true;
    }
    if (!imageUsable()) {
        if (QPainter* p = beginSurface()) {
            drawEmpty(*p);
            endSurface();
        }
        return false;
    }
    if (mode != mode_ || ScrollBar_ != scrollBarAtDisplay_) {
        mode_ = mode;
        scrollBarAtDisplay_ = ScrollBar_;
        imageDispInit();
    }
    if (QPainter* p = beginSurface()) {
        drawDispAreaInner(*p, clientIncl(), false);
        if (BorderVisible_) drawDispAreaOuter(*p, clientIncl());
        endSurface();
    }
    const bool drawn = imageDispMain(nullptr, nullptr, false);
    if (drawn) {
        if (panVisible() && mode_ == vikActualSize && panRecordedScale_ == 0) setPanWindowSize();
        AfterDispImage();
    }
    return drawn;
}

bool TVIkDisp::Refresh() {
    ErrorCode_ = kStatusOk;
    const bool drawn = imageDispMain(nullptr, nullptr, false);
    if (!drawn) invalidate();
    return drawn;
}

void TVIkDisp::SetDispScale(double scale) {
    if (!(scale > 0) || scale == DispScale_) return;
    DispScale_ = scale;
    imageDispInit();
    invalidate();
}

bool TVIkDisp::Zoom(int left, int top, int right, int bottom) {
    if (left < 0 || top < 0 || right >= ImageWidth_ || bottom >= ImageHeight_ || right < left || bottom < top) {
        ErrorCode_ = kStatusBadArgument;
        return false;
    }
    DispCenterX_ = static_cast<int>((left + right) * 0.5 + 0.5);
    DispCenterY_ = static_cast<int>((top + bottom) * 0.5 + 0.5);
    DispScale_ = Ikutils::zoomScale(layout_.dispIncl, left, top, right, bottom) * layoutRatio_;
    imageDispInit();
    if (imageDispMain(nullptr, nullptr, false)) ErrorCode_ = kStatusOk;
    if (panVisible() && mode_ == vikActualSize) {
        showPanImage();
        dispPanRect();
    }
    return true;
}

// ---- setters --------------------------------------------------------------------------

void TVIkDisp::SetStartX(int value) { if (value >= 0) StartX_ = value; }
void TVIkDisp::SetStartY(int value) { if (value >= 0) StartY_ = value; }
void TVIkDisp::SetDispCenterX(int value) { if (value >= 0) DispCenterX_ = value; }
void TVIkDisp::SetDispCenterY(int value) { if (value >= 0) DispCenterY_ = value; }
void TVIkDisp::SetScrollWidth(int value) { if (value >= 0) ScrollWidth_ = value; }
void TVIkDisp::SetScrollHeight(int value) { if (value >= 0) ScrollHeight_ = value; }

void TVIkDisp::SetScrollBar(bool value) {
    ScrollBar_ = value;
    if (imageUsable() && mode_ == vikActualSize) {
        imageDispInit();
        imageDispMain(nullptr, nullptr, false);
        AfterDispImage();
    }
}

void TVIkDisp::SetAppearance(TVIkAppearance value) {
    if (value == Appearance_) return;
    Appearance_ = value;
    imageDispInit();
    invalidate();
}

void TVIkDisp::SetBorderVisible(bool value) {
    if (value == BorderVisible_) return;
    BorderVisible_ = value;
    imageDispInit();
    invalidate();
}

void TVIkDisp::SetBorderColor(std::uint32_t value) {
    if (value == BorderColor_) return;
    BorderColor_ = value;
    invalidate();
}

void TVIkDisp::SetColor(std::uint32_t value) {
    if (value == Color_) return;
    Color_ = value;
    invalidate();
}

void TVIkDisp::SetInvalidHatchPattern(bool value) {
    if (value == InvalidHatchPattern_) return;
    InvalidHatchPattern_ = value;
    invalidate();
}

void TVIkDisp::SetInvalidHatchColor(std::uint32_t value) {
    if (value == InvalidHatchColor_) return;
    InvalidHatchColor_ = value;
    invalidate();
}

void TVIkDisp::SetRefine1BitImage(bool value) {
    if (value == Refine1BitImage_) return;
    Refine1BitImage_ = value;
    invalidate();
}

void TVIkDisp::SetRefine1BitImageScale(double value) {
    if (!(value >= 0 && value < 1)) return;
    Refine1BitImageScale_ = value;
    refinedKey_.scaleWidth = refinedKey_.scaleHeight = -1;
    invalidate();
}

void TVIkDisp::SetShowInDisp(bool value) {
    if (value == ShowInDisp_) return;
    ShowInDisp_ = value;
    imageDispMain(nullptr, nullptr, false);
}

void TVIkDisp::SetSimpleDispCtrl(bool value) {
    if (value == SimpleDispCtrl_) return;
    SimpleDispCtrl_ = value;
    imageDispInit();
    invalidate();
}
