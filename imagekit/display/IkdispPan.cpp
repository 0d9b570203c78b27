// The display control's navigation window: showing and hiding it, its thumbnail, the
// rectangle of the visible part and scrolling from it. The window itself is IkPanWindow.
#include "Ikdisp.h"

#include "IkPanWindow.h"
#include "Ikdllprocs.h"
#include "PanGeometry.h"

namespace {
// The navigation window cannot be shown in the current display mode.
constexpr std::uint16_t kStatusPanNotInMode = 2;
}  // namespace

QWidget* TVIkDisp::PanWindow() const { return panWindow_; }

bool TVIkDisp::panVisible() const { return panWindow_ && panWindow_->isVisible(); }

void TVIkDisp::DoPanWindow(bool show) {
    if (OnPanWindow) OnPanWindow(this, show);
}

// Created hidden with the control; a child of the control that is a window of its own,
// so it follows the control into whatever window the control is placed in.
void TVIkDisp::createPanWindow() {
    panWindow_ = new IkPanWindow(this);
    PanTable::append(panWindow_, this);
    panWindow_->applyStyle(PanWindowCloseBox_, !PanWindowCaption_.isEmpty());
    panWindow_->move(PanWindowLeft_, PanWindowTop_);
}

void TVIkDisp::destroyPanWindow() {
    delete panWindow_;
    panWindow_ = nullptr;
    PanTable::remove(this);
}

// Hides the window and releases its grey thumbnail.
void TVIkDisp::hidePanWindow() {
    TPANOBJ* e = PanTable::entryOf(panWindow_);
    if (!e) return;
    panWindow_->hide();
    if (e->refined && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(e->refined);
    e->refined = 0;
}

// The outer size for the next show from hidden.
void TVIkDisp::setPanWindowSize() {
    TPANOBJ* e = PanTable::entryOf(panWindow_);
    if (!e) return;
    const bool captioned = PanWindowCloseBox_ || !PanWindowCaption_.isEmpty();
    const PanGeometry::PanSize s = PanGeometry::windowSize(ImageWidth_, ImageHeight_, PanWindowSize_,
                                                           captioned ? panWindow_->captionHeight() : 0);
    e->windowWidth = s.width;
    e->windowHeight = s.height;
}

// Shows the window when hidden and makes its thumbnail for the client size.
void TVIkDisp::showPanImage() {
    TPANOBJ* e = PanTable::entryOf(panWindow_);
    if (!e) return;
    panWindow_->setWindowTitle(PanWindowCaption_);
    if (!panWindow_->isVisible()) {
        const QPoint outer(PanWindowLeft_, PanWindowTop_);
        panWindow_->move(outer);
        if (e->windowWidth > 0 && e->windowHeight > 0)
            panWindow_->resize(panWindow_->clientSizeFor(e->windowWidth, e->windowHeight));
        panWindow_->show();
        // A platform that learns the frame only at the show may have put the client there.
        if (panWindow_->frameGeometry().topLeft() != outer) panWindow_->move(outer);
        PanWindowLeft_ = static_cast<std::int16_t>(outer.x());
        PanWindowTop_ = static_cast<std::int16_t>(outer.y());
        panWindow_->followOwnerWindow();
    }
    const QSize client = panWindow_->clientRect().size();
    const int cw = client.width(), ch = client.height();
    PanScaleX_ = ImageWidth_ > 0 ? static_cast<double>(cw) / ImageWidth_ : 0;
    PanScaleY_ = ImageHeight_ > 0 ? static_cast<double>(ch) / ImageHeight_ : 0;
    e->left = e->top = e->right = e->bottom = 0;
    e->clientWidth = cw;
    e->clientHeight = ch;
    e->scaleX = PanScaleX_;
    e->scaleY = PanScaleY_;
    if (e->refined && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(e->refined);
    e->refined = 0;
    if (imageUsable() && PanWindowRefine1BitImage_ && Ikdllprocs::ConvertColorTo8Gray && Ikdllprocs::Resize1Bit &&
        cw > 0 && ch > 0) {
        if (const IKHANDLE grey = Ikdllprocs::ConvertColorTo8Gray(ImgHandle_)) {
            e->refined = Ikdllprocs::Resize1Bit(grey, 0, 0, 0, 0, cw, ch);
            if (Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(grey);
        }
    }
    panWindow_->thumbnailChanged();
}

// Marks the visible part; drawn over the kept thumbnail.
void TVIkDisp::dispPanRect() {
    if (!imageUsable() || !panWindow_ || !(PanScaleX_ > 0) || !(PanScaleY_ > 0)) return;
    TPANOBJ* e = PanTable::entryOf(panWindow_);
    if (!e) return;
    const Ikutils::IkRect r =
        PanGeometry::visibleRect(StartX_, StartY_, SrcRect_, PanScaleX_, PanScaleY_, e->clientWidth, e->clientHeight);
    e->left = r.left;
    e->top = r.top;
    e->right = r.right;
    e->bottom = r.bottom;
    panWindow_->rectChanged();
}

// A drag in the navigation window: a display run as a scroll step (clamped there), with
// no scroll event and no new thumbnail.
void TVIkDisp::scrollFromPan(int startX, int startY) {
    StartX_ = SrcRect_.left = std::max(startX, 0);
    StartY_ = SrcRect_.top = std::max(startY, 0);
    imageDispMain(nullptr, nullptr, true);
    dispPanRect();
}

bool TVIkDisp::ShowPanWindow(bool show) {
    ErrorCode_ = kStatusOk;
    if (panVisible() && !show) {
        hidePanWindow();
        DoPanWindow(false);
        return true;
    }
    if (!imageUsable()) {
        ErrorCode_ = kStatusNoImage;
        return true;
    }
    if (!show || mode_ != vikActualSize) {
        ErrorCode_ = kStatusPanNotInMode;
        return false;
    }
    setPanWindowSize();
    showPanImage();
    DoPanWindow(true);
    dispPanRect();
    return true;
}

void TVIkDisp::UpdatePanWindow() {
    if (!panVisible() || mode_ != vikActualSize) return;
    showPanImage();
    dispPanRect();
}

void TVIkDisp::AfterDispImage() {
    if (!panVisible() || mode_ != vikActualSize) return;
    if (DispScale_ != panRecordedScale_) {
        showPanImage();
        panRecordedScale_ = DispScale_;
    }
    dispPanRect();
}

void TVIkDisp::ClearPanWindow(bool fill) {
    if (!panWindow_) return;
    if (fill) panWindow_->fillNow(resolved(PanWindowColor_));
    panWindow_->thumbnailChanged();
}

// ---- properties ---------------------------------------------------------------------------

void TVIkDisp::SetPanWindowLeft(std::int16_t value) {
    if (value == PanWindowLeft_) return;
    PanWindowLeft_ = value;
    if (panVisible()) panWindow_->move(PanWindowLeft_, PanWindowTop_);
}

void TVIkDisp::SetPanWindowTop(std::int16_t value) {
    if (value == PanWindowTop_) return;
    PanWindowTop_ = value;
    if (panVisible()) panWindow_->move(PanWindowLeft_, PanWindowTop_);
}

void TVIkDisp::SetPanWindowSize_Prop(std::int16_t value) {
    if (value >= 0) PanWindowSize_ = value;
}

// A new decoration: hidden, restyled, and when it was shown, sized and shown anew.
void TVIkDisp::restylePanWindow() {
    if (!panWindow_) return;
    const bool wasVisible = panWindow_->isVisible();
    if (wasVisible) panWindow_->hide();
    panWindow_->applyStyle(PanWindowCloseBox_, !PanWindowCaption_.isEmpty());
    if (!wasVisible) return;
    setPanWindowSize();
    showPanImage();
    dispPanRect();
}

void TVIkDisp::SetPanWindowCaption(const QString& value) {
    if (value == PanWindowCaption_) return;
    PanWindowCaption_ = value;
    restylePanWindow();
}

void TVIkDisp::SetPanWindowCloseBox(bool value) {
    if (value == PanWindowCloseBox_) return;
    PanWindowCloseBox_ = value;
    restylePanWindow();
}

void TVIkDisp::SetPanWindowRectRev(bool value) {
    if (value == PanWindowRectRev_) return;
    PanWindowRectRev_ = value;
    if (panWindow_) panWindow_->rectChanged();
}

void TVIkDisp::SetPanWindowRefine1BitImage(bool value) {
    if (value == PanWindowRefine1BitImage_) return;
    PanWindowRefine1BitImage_ = value;
    if (!panWindow_) return;
    if (panWindow_->isVisible()) UpdatePanWindow();
    panWindow_->thumbnailChanged();
}

void TVIkDisp::SetShowInPanWindow(bool value) {
    if (value == ShowInPanWindow_) return;
    ShowInPanWindow_ = value;
    if (panWindow_) panWindow_->thumbnailChanged();
}

// The navigation window takes a new colour at its next paint.
void TVIkDisp::SetPanWindowColor(std::uint32_t value) {
    if (value == PanWindowColor_) return;
    PanWindowColor_ = value;
    if (panWindow_) panWindow_->thumbnailChanged();
    invalidate();
}

void TVIkDisp::SetPanWindowRectColor(std::uint32_t value) {
    if (value == PanWindowRectColor_) return;
    PanWindowRectColor_ = value;
    if (panWindow_) panWindow_->rectChanged();
    invalidate();
}

void TVIkDisp::SetPanWindowCursor(const QCursor& value) {
    PanWindowCursor_ = value;
    if (panWindow_) panWindow_->setCursor(value);
}
