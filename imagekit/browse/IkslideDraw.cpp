// How TVIkSlide puts pixels on its window. The window shows a picture of the whole client
// (`screen_`): the background, the image of the draw area and the border. A new image is
// composed off screen at the draw area's size and copied into that picture at once or,
// for a wipe, in strips, one per tick of the wipe timer.
#include "browse/Ikslide.h"

#include "Ikdllprocs.h"
#include "display/DisplayEdge.h"
#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <QBackingStore>
#include <QPainter>
#include <QPaintEvent>

using Ikutils::IkRect;

namespace {

void boxFull(QPainter& p, int left, int top, int right, int bottom, std::uint32_t colour) {
    if (Ikdllprocs::_BoxFull) Ikdllprocs::_BoxFull(&p, left, top, right, bottom, colour & 0xFFFFFF);
}

int areaWidth(const IkRect& r) { return r.right - r.left + 1; }
int areaHeight(const IkRect& r) { return r.bottom - r.top + 1; }

// Draws image fitted and centred into the area (inclusive) of p.
void stretchInto(QPainter& p, IKHANDLE image, const IkRect& area) {
    if (!Ikdllprocs::_StretchDIBits || !Ikdllprocs::GetDibPalSize) return;
    platform::GlobalLock lock(image);
    if (!lock || lock.size() < sizeof(platform::BitmapInfoHeader)) return;
    const auto* header = lock.as<std::uint8_t>();
    const auto& h = *lock.as<platform::BitmapInfoHeader>();
    const int iw = h.biWidth, ih = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const SlideSize fit = GetImageSize(areaWidth(area), areaHeight(area), iw, ih);
    if (fit.width < 1 || fit.height < 1) return;
    const SlideSize at = centreOffset(areaWidth(area), areaHeight(area), fit.width, fit.height);
    const std::uint8_t* bits = header + h.biSize + Ikdllprocs::GetDibPalSize(header);
    Ikdllprocs::_StretchDIBits(&p, area.left + at.width, area.top + at.height, fit.width, fit.height, 0, 0, iw, ih,
                               bits, header, 0, 0);
}

}  // namespace

IkRect TVIkSlide::DrawArea() const { return slideDrawArea(width(), height(), BorderVisible_, Appearance_); }

QString TVIkSlide::eventFileName() const {
    const int i = CurrentImage_;
    if (i < 0 || i >= Count()) return {};
    const TIKSORTDATA& e = entries_[static_cast<std::size_t>(i)];
    return e.Page >= 1 ? QStringLiteral("%1 %2").arg(e.FileName).arg(e.Page) : e.FileName;
}

QString TVIkSlide::eventPathName() const {
    const int i = CurrentImage_;
    return i < 0 || i >= Count() ? QString() : entries_[static_cast<std::size_t>(i)].PathName;
}

void TVIkSlide::paintBackground(QPainter& p) const {
    boxFull(p, 0, 0, width(), height(), Color_);
    drawBorder(p);
}

void TVIkSlide::drawBorder(QPainter& p) const {
    if (!BorderVisible_) return;
    if (Appearance_ != vikFlat) {
        DrawDisplayEdge(p, IkRect{0, 0, width() - 1, height() - 1}, Appearance_ == vikLowered);
        return;
    }
    if (Ikdllprocs::_Box) Ikdllprocs::_Box(&p, 0, 0, width(), height(), 1, BorderColor_ & 0xFFFFFF);
}

// The area filled with the background colour and the display image stretched into it.
QImage TVIkSlide::composeArea(const IkRect& area) const {
    QImage bitmap(areaWidth(area), areaHeight(area), QImage::Format_RGB32);
    if (bitmap.isNull()) return bitmap;
    QPainter p(&bitmap);
    boxFull(p, 0, 0, bitmap.width(), bitmap.height(), Color_);
    stretchInto(p, display_, IkRect{0, 0, bitmap.width() - 1, bitmap.height() - 1});
    return bitmap;
}

void TVIkSlide::rememberDrawn() {
    lastDrawnValid_ = true;
    lastPath_ = currentPath_;
    lastPage_ = currentPage_;
}

void TVIkSlide::DisplaySlideImage() {
    if (sameAsLastDrawn()) {
        stopShow();
        return;
    }
    const IkRect area = DrawArea();
    if (areaWidth(area) < 5 || areaHeight(area) < 5 || !display_) return;
    if (screen_.size() != size()) {
        screen_ = QImage(size(), QImage::Format_RGB32);
        if (screen_.isNull()) return;
        QPainter p(&screen_);
        paintBackground(p);
    }
    drawing_ = true;
    const std::uint64_t generation = ++wipeGeneration_;
    DoStartSlide(static_cast<std::int16_t>(CurrentImage_), eventPathName(), eventFileName());
    // A handler that closed, opened or stepped has taken over the control.
    if (generation != wipeGeneration_ || !display_) return;
    wipe_ = {};
    wipe_.bitmap = composeArea(area);
    wipe_.area = area;
    wipe_.dir = ScrollDir_;
    wipe_.steps = wipeSteps(ScrollDir_, wipesColumns(ScrollDir_) ? areaWidth(area) : areaHeight(area), ScrollSize_);
    wipe_.active = true;
    if (wipe_.steps.empty()) {
        {
            QPainter p(&screen_);
            p.drawImage(area.left, area.top, wipe_.bitmap);
        }
        screenCurrent_ = true;
        update(area.left, area.top, areaWidth(area), areaHeight(area));
        finishWipe();
        return;
    }
    // The first strip at once, the others one per tick.
    wipeStep();
    if (wipe_.active && generation == wipeGeneration_) wipeTimer_.start();
}

void TVIkSlide::wipeStep() {
    if (!wipe_.active || wipe_.next >= wipe_.steps.size()) {
        wipeTimer_.stop();
        return;
    }
    const WipeStep s = wipe_.steps[wipe_.next++];
    const IkRect& a = wipe_.area;
    QRect target;
    {
        QPainter p(&screen_);
        if (wipesColumns(wipe_.dir)) {
            target = QRect(a.left + s.target, a.top, s.count, wipe_.bitmap.height());
            p.drawImage(target.topLeft(), wipe_.bitmap, QRect(s.source, 0, s.count, wipe_.bitmap.height()));
        } else {
            target = QRect(a.left, a.top + s.target, wipe_.bitmap.width(), s.count);
            p.drawImage(target.topLeft(), wipe_.bitmap, QRect(0, s.source, wipe_.bitmap.width(), s.count));
        }
    }
    screenCurrent_ = true;
    // The strip moves as a whole, so the rectangle it covers now is repainted.
    update(target);
    const std::uint64_t generation = wipeGeneration_;
    if (s.percent != wipe_.previousPercent) {
        wipe_.previousPercent = s.percent;
        if (s.percent != -1) DoProgress(static_cast<std::int16_t>(s.percent));
        if (generation != wipeGeneration_) return;
    }
    if (wipe_.next >= wipe_.steps.size()) {
        wipeTimer_.stop();
        DoProgress(100);
        if (generation != wipeGeneration_) return;
        finishWipe();
    }
}

// The image is complete on the screen: the end event, and the memory of what was drawn.
void TVIkSlide::finishWipe() {
    wipeTimer_.stop();
    wipe_ = {};
    const std::uint64_t generation = ++wipeGeneration_;
    DoEndSlide(static_cast<std::int16_t>(CurrentImage_), eventPathName(), eventFileName());
    if (generation != wipeGeneration_) return;
    drawing_ = false;
    rememberDrawn();
}

// Stops a running wipe where it is: nothing more of it is drawn and no event follows. The
// screen then shows part of it over the image drawn before, so that one counts as drawn no
// longer.
void TVIkSlide::abortWipe() {
    if (wipe_.active) lastDrawnValid_ = false;
    ++wipeGeneration_;
    wipeTimer_.stop();
    wipe_ = {};
    drawing_ = false;
}

// Draws the rest of a running wipe at once and ends it as a finished wipe does.
void TVIkSlide::completeWipe() {
    if (!wipe_.active) return;
    wipeTimer_.stop();
    {
        QPainter p(&screen_);
        p.drawImage(wipe_.area.left, wipe_.area.top, wipe_.bitmap);
    }
    screenCurrent_ = true;
    update();
    const std::uint64_t generation = ++wipeGeneration_;
    DoProgress(100);
    if (generation == wipeGeneration_) finishWipe();
}

// The display image drawn at once (a paint of the window): no wipe.
void TVIkSlide::drawNormal(bool fireEvents) {
    const IkRect area = DrawArea();
    QPainter p(&screen_);
    paintBackground(p);
    if (areaWidth(area) < 5 || areaHeight(area) < 5) return;
    drawing_ = true;
    if (fireEvents) DoStartSlide(static_cast<std::int16_t>(CurrentImage_), eventPathName(), eventFileName());
    if (display_) {
        p.setClipRect(QRect(area.left, area.top, areaWidth(area), areaHeight(area)));
        p.drawImage(area.left, area.top, composeArea(area));
    }
    if (fireEvents) DoEndSlide(static_cast<std::int16_t>(CurrentImage_), eventPathName(), eventFileName());
    drawing_ = false;
    if (display_) rememberDrawn();
}

// Whether this paint goes elsewhere than to the window's backing store.
bool TVIkSlide::paintingCopy() const {
    const QPaintDevice* target = redirected(nullptr);
    if (!target) return false;
    QBackingStore* store = isVisible() ? backingStore() : nullptr;
    return !store || target != store->paintDevice();
}

void TVIkSlide::paintEvent(QPaintEvent*) {
    // Painting into a copy (render, grab): the picture drawn directly, without wipe or events.
    if (paintingCopy()) {
        QImage copy(size(), QImage::Format_RGB32);
        if (copy.isNull()) return;
        {
            QPainter p(&copy);
            paintBackground(p);
            const IkRect area = DrawArea();
            if (display_ && areaWidth(area) >= 5 && areaHeight(area) >= 5) stretchInto(p, display_, area);
            drawBorder(p);
        }
        QPainter target(this);
        target.drawImage(0, 0, copy);
        return;
    }
    if (screen_.size() != size()) {
        screen_ = QImage(size(), QImage::Format_RGB32);
        if (screen_.isNull()) return;
        screenCurrent_ = false;
    }
    if (!screenCurrent_ && !wipe_.active) {
        if (display_) {
            // Drawn again as a new slide: its events fire again.
            lastDrawnValid_ = false;
            drawNormal(true);
        } else {
            QPainter p(&screen_);
            paintBackground(p);
        }
    }
    screenCurrent_ = false;
    QPainter target(this);
    target.drawImage(0, 0, screen_);
}

void TVIkSlide::resizeEvent(QResizeEvent* event) {
    // A wipe composed for the old size ends; the next paint draws the image at the new size.
    if (wipe_.active) abortWipe();
    screenCurrent_ = false;
    QWidget::resizeEvent(event);
}
