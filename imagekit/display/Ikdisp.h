#pragma once
// TVIkDisp: the kit's windowed control that shows one image handle fitted, stretched or
// at a scale with scrolling, fills the margins, draws its border and reports what it drew.
// Drawing goes through the kit's drawing exports; 1-bit images are shown through grey
// copies. The control paints onto its own surface image, which the widget shows: a
// display run outside a paint updates the surface at once, as the system draws at once.

#include "DisplayInput.h"
#include "IkAttachment.h"
#include "IkStatus.h"
#include "Ikutils.h"

#include <QCursor>
#include <QEvent>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

class QScrollBar;
class IkPanWindow;

enum TVIkMouseWheel : std::uint8_t { vikDisable = 0, vikVertical = 1, vikHorizontal = 2 };

class TVIkDisp : public QWidget {
public:
    using TVIkEndDispImageEvent = std::function<void(TVIkDisp* sender, int originX, int originY, int left, int top,
                                                     int right, int bottom, double scaleWidth, double scaleHeight)>;

    explicit TVIkDisp(QWidget* parent = nullptr);
    ~TVIkDisp() override;

    TVIkEndDispImageEvent OnEndDispImage;

    // Operations.
    void SetImgHandle(IKHANDLE image);
    bool Display(TVIkDispMode mode);
    bool Refresh();
    void SetDispScale(double scale);
    bool Zoom(int left, int top, int right, int bottom);
    // Brings the navigation window in step after a display run, scroll or drag.
    void AfterDispImage();

    // Properties (colours are 0x00BBGGRR; 0x8000000F is the button face).
    IKHANDLE ImgHandle() const { return ImgHandle_; }
    std::uint16_t ErrorCode() const { return ErrorCode_; }
    TVIkDispMode DispMode() const { return mode_; }
    TVIkAppearance Appearance() const { return Appearance_; }
    void SetAppearance(TVIkAppearance value);
    std::uint32_t BorderColor() const { return BorderColor_; }
    void SetBorderColor(std::uint32_t value);
    bool BorderVisible() const { return BorderVisible_; }
    void SetBorderVisible(bool value);
    std::uint32_t Color() const { return Color_; }
    void SetColor(std::uint32_t value);
    int ScrollWidth() const { return ScrollWidth_; }
    void SetScrollWidth(int value);
    int ScrollHeight() const { return ScrollHeight_; }
    void SetScrollHeight(int value);
    bool ScrollBar() const { return ScrollBar_; }
    void SetScrollBar(bool value);
    TVIkMouseWheel MouseWheel() const { return MouseWheel_; }
    void SetMouseWheel(TVIkMouseWheel value) { MouseWheel_ = value; }
    bool ScrollDrag() const { return ScrollDrag_; }
    void SetScrollDrag(bool value) { ScrollDrag_ = value; }
    bool Refine1BitImage() const { return Refine1BitImage_; }
    void SetRefine1BitImage(bool value);
    double Refine1BitImageScale() const { return Refine1BitImageScale_; }
    void SetRefine1BitImageScale(double value);
    bool InvalidHatchPattern() const { return InvalidHatchPattern_; }
    void SetInvalidHatchPattern(bool value);
    std::uint32_t InvalidHatchColor() const { return InvalidHatchColor_; }
    void SetInvalidHatchColor(std::uint32_t value);
    int StartX() const { return StartX_; }
    void SetStartX(int value);
    int StartY() const { return StartY_; }
    void SetStartY(int value);
    double DispScale() const { return DispScale_; }
    int DispCenterX() const { return DispCenterX_; }
    void SetDispCenterX(int value);
    int DispCenterY() const { return DispCenterY_; }
    void SetDispCenterY(int value);
    bool ShowInDisp() const { return ShowInDisp_; }
    void SetShowInDisp(bool value);
    bool SimpleDispCtrl() const { return SimpleDispCtrl_; }
    void SetSimpleDispCtrl(bool value);

    // State reported after a display.
    int ImageWidth() const { return ImageWidth_; }
    int ImageHeight() const { return ImageHeight_; }
    int VisibleWidth() const { return layout_.visibleWidth; }
    int VisibleHeight() const { return layout_.visibleHeight; }
    Ikutils::IkRect SrcRect() const { return SrcRect_; }
    Ikutils::IkRect DrawnRect() const { return DrawnRect_; }
    Ikutils::IkRect GetDispRect() const { return layout_.dispIncl; }
    double ScaleWidth() const { return ScaleWidth_; }
    double ScaleHeight() const { return ScaleHeight_; }
    bool HorzScrollBarShown() const { return layout_.hBar; }
    bool VertScrollBarShown() const { return layout_.vBar; }
    QScrollBar* HorzScrollBar() const { return hBar_; }
    QScrollBar* VertScrollBar() const { return vBar_; }
    IKHANDLE GrayCopy() const { return GrayCopy_; }
    IKHANDLE RefinedCopy() const { return RefinedCopy_; }
    // What the control shows now (its surface), for tests and screenshots: in device pixels,
    // its devicePixelRatio that of the control.
    const QImage& Surface() const { return surface_; }

    // Draws the control onto another device: composed off-screen at the client size (in the
    // target's device pixels) and copied at (0, 0); DrawnRect is not changed and
    // OnEndDispImage does not fire.
    void PaintTo(QPainter& target);

    // Navigation window: a tool window with the whole image and the visible part marked.
    bool ShowPanWindow(bool show);
    void UpdatePanWindow();
    void ClearPanWindow(bool fill);
    QWidget* PanWindow() const;
    bool ShowInPanWindow() const { return ShowInPanWindow_; }
    void SetShowInPanWindow(bool value);
    std::int16_t PanWindowLeft() const { return PanWindowLeft_; }
    void SetPanWindowLeft(std::int16_t value);
    std::int16_t PanWindowTop() const { return PanWindowTop_; }
    void SetPanWindowTop(std::int16_t value);
    std::int16_t PanWindowSize() const { return PanWindowSize_; }
    void SetPanWindowSize_Prop(std::int16_t value);
    QString PanWindowCaption() const { return PanWindowCaption_; }
    void SetPanWindowCaption(const QString& value);
    bool PanWindowCloseBox() const { return PanWindowCloseBox_; }
    void SetPanWindowCloseBox(bool value);
    bool PanWindowRectRev() const { return PanWindowRectRev_; }
    void SetPanWindowRectRev(bool value);
    std::uint32_t PanWindowRectColor() const { return PanWindowRectColor_; }
    void SetPanWindowRectColor(std::uint32_t value);
    std::uint32_t PanWindowColor() const { return PanWindowColor_; }
    void SetPanWindowColor(std::uint32_t value);
    bool PanWindowRefine1BitImage() const { return PanWindowRefine1BitImage_; }
    void SetPanWindowRefine1BitImage(bool value);
    QCursor PanWindowCursor() const { return PanWindowCursor_; }
    void SetPanWindowCursor(const QCursor& value);
    QCursor PanWindowRectCursor() const { return PanWindowRectCursor_; }
    void SetPanWindowRectCursor(const QCursor& value) { PanWindowRectCursor_ = value; }
    double PanScaleX() const { return PanScaleX_; }
    double PanScaleY() const { return PanScaleY_; }
    std::function<void(TVIkDisp* sender, bool show)> OnPanWindow;
    virtual void DoPanWindow(bool show);

    // Input
    using TVIkScrollDispImageEvent =
        std::function<void(TVIkDisp* sender, TScrollCode code, std::int16_t pos, TVIkMouseWheel direction)>;
    using TVIkMouseWheelImageEvent =
        std::function<void(TVIkDisp* sender, Qt::KeyboardModifiers shift, TVIkMouseWheel direction)>;
    using TVIkMouseImageEvent = std::function<void(
        TVIkDisp* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int originX, int originY, int left,
        int top, int right, int bottom, double scaleWidth, double scaleHeight, int x, int y)>;
    using TVIkMouseMoveImageEvent =
        std::function<void(TVIkDisp* sender, Qt::KeyboardModifiers shift, int originX, int originY, int left, int top,
                           int right, int bottom, double scaleWidth, double scaleHeight, int x, int y)>;
    using TVIkGetDragDropFileNameEvent =
        std::function<void(TVIkDisp* sender, const QString& fileName, std::int16_t page)>;
    using TMouseEvent =
        std::function<void(TVIkDisp* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TVIkDisp* sender, Qt::KeyboardModifiers shift, int x, int y)>;
    using TKeyEvent = std::function<void(TVIkDisp* sender, int key, Qt::KeyboardModifiers shift)>;
    using TNotifyEvent = std::function<void(TVIkDisp* sender)>;

    TVIkScrollDispImageEvent OnScrollDispImage;
    TVIkMouseWheelImageEvent OnMouseWheelUpImage;
    TVIkMouseWheelImageEvent OnMouseWheelDownImage;
    TVIkMouseImageEvent OnMouseDownImage;
    TVIkMouseImageEvent OnMouseUpImage;
    TVIkMouseMoveImageEvent OnMouseMoveImage;
    TVIkGetDragDropFileNameEvent OnGetDragDropFileName;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnDblClick;
    TKeyEvent OnKeyDown;
    TNotifyEvent OnResize;

    // Moves the visible part one line step toward `direction`; only in vikActualSize.
    bool ScrollImage(TVIkScrollDir direction);
    // A scroll request of a scroll bar (or of the wheel): `pos` is the track position.
    void ScrollRequest(Qt::Orientation orientation, TScrollCode code, int pos);
    // The cursor while scroll-dragging (default the four-way move cursor).
    const QCursor& DispRectCursor() const { return DispRectCursor_; }
    void SetDispRectCursor(const QCursor& cursor) { DispRectCursor_ = cursor; }
    bool ScrollDragging() const { return dragging_; }

protected:
    virtual void DoEndDispImage(int originX, int originY, int left, int top, int right, int bottom,
                                double scaleWidth, double scaleHeight);
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Layout, display run and paint.
    bool imageUsable();
    void imageDispInit();
    bool imageDispMain(QPainter* dc, const Ikutils::IkRect* rectIncl, bool scrollStep);
    void paintSurface(QPainter& painter);
    QPainter* beginSurface();
    void endSurface();
    void invalidate();
    void hideScrollBars();
    // Drawing (IkdispDraw.cpp).
    bool drawFitted(QPainter& p);
    bool drawActual(QPainter& p);
    bool drawRectOfImage(QPainter& p, IKHANDLE image, int x, int y, int w, int h, int sx, int sy, int sw, int sh);
    void drawDispAreaInner(QPainter& p, const Ikutils::IkRect& clientIncl, bool whole);
    void drawDispAreaOuter(QPainter& p, const Ikutils::IkRect& clientIncl);
    void drawEmpty(QPainter& p);
    void makeGrayCopy();
    void releaseCopy(IKHANDLE& copy);
    QColor resolved(std::uint32_t colour) const;
    Ikutils::IkRect clientIncl() const { return layout_.clientIncl; }
    // Geometry is in logical pixels, the picture is drawn in device pixels: scale 1 is one
    // image pixel per device pixel, so on a screen of ratio 2 one logical pixel shows two
    // image pixels. This is the display scale in logical pixels.
    double layoutScale() const { return DispScale_ / layoutRatio_; }
    // The device pixels of a logical size at a ratio, rounded up.
    static QSize devicePixels(QSize logical, double ratio);

    // Input (IkdispInput.cpp)
    void initInput();
    void barAction(QScrollBar* bar, Qt::Orientation orientation, int action);
    void mouseImageEvent(QEvent::Type type, Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at);
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    virtual void DoScrollDispImage(TScrollCode code, std::int16_t pos, TVIkMouseWheel direction);
    virtual void DoGetDragDropFileName(const QString& fileName, std::int16_t page);
    virtual void DoMouseWheelUpImage(Qt::KeyboardModifiers shift, TVIkMouseWheel direction);
    virtual void DoMouseWheelDownImage(Qt::KeyboardModifiers shift, TVIkMouseWheel direction);

    DisplayInput::WheelAccumulator wheel_{0};
    bool dragging_ = false;
    // Set while a line request of a wheel turn is not the turn's last: its run leaves the
    // picture to the last one.
    bool pictureDeferred_ = false;
    DisplayInput::ImagePoint anchor_;
    QCursor savedCursor_;
    bool savedOwnCursor_ = false;  // the cursor saved at the drag's start was set on the control
    QCursor DispRectCursor_{Qt::SizeAllCursor};

    IkAttachment attachment_;
    IKHANDLE ImgHandle_ = 0;
    std::uint16_t ErrorCode_ = kStatusOk;
    TVIkDispMode mode_ = vikClear;
    bool scrollBarAtDisplay_ = false;
    TVIkAppearance Appearance_ = vikFlat;
    std::uint32_t BorderColor_ = 0;
    bool BorderVisible_ = false;
    std::uint32_t Color_ = 0xFFFFFF;
    int ScrollWidth_ = 10, ScrollHeight_ = 10;
    bool ScrollBar_ = false;
    TVIkMouseWheel MouseWheel_ = vikVertical;
    bool ScrollDrag_ = false;
    bool Refine1BitImage_ = true;
    double Refine1BitImageScale_ = 0;
    bool InvalidHatchPattern_ = true;
    std::uint32_t InvalidHatchColor_ = 12632256;
    int StartX_ = 0, StartY_ = 0;
    double DispScale_ = 1.0;
    int DispCenterX_ = 0, DispCenterY_ = 0;
    bool ShowInDisp_ = true;
    bool SimpleDispCtrl_ = false;

    int ImageWidth_ = 0, ImageHeight_ = 0;
    int Xdpi_ = 72, Ydpi_ = 72;
    Ikutils::DispLayout layout_;
    // The device pixel ratio the layout was made for.
    double layoutRatio_ = 1.0;
    Ikutils::IkRect SrcRect_;
    Ikutils::IkRect DrawnRect_;
    double ScaleWidth_ = 1.0, ScaleHeight_ = 1.0;
    IKHANDLE GrayCopy_ = 0;
    IKHANDLE RefinedCopy_ = 0;
    struct RefinedKey {
        double scaleWidth = -1, scaleHeight = -1;
        int mode = -1, width = -1, height = -1;
        bool operator==(const RefinedKey&) const = default;
    } refinedKey_;
    bool drawnOnDisplay_ = false;
    bool toOtherDevice_ = false;
    std::uint32_t gdipToken_ = 0;

    QImage composition_;  // the off-screen composition of the picture, reused while its size holds
    QImage surface_;
    QPainter* surfacePainter_ = nullptr;
    bool surfaceCurrent_ = false;  // the surface holds what a display run drew since the last paint
    QScrollBar* hBar_;
    QScrollBar* vBar_;

    // Navigation window (IkdispPan.cpp, IkPanWindow.cpp).
    friend class IkPanWindow;
    bool panVisible() const;
    void createPanWindow();
    void destroyPanWindow();
    void hidePanWindow();
    void setPanWindowSize();
    void showPanImage();
    void dispPanRect();
    void scrollFromPan(int startX, int startY);
    void restylePanWindow();
    IkPanWindow* panWindow_ = nullptr;
    double panRecordedScale_ = 0;
    double PanScaleX_ = 0, PanScaleY_ = 0;
    bool ShowInPanWindow_ = true;
    std::int16_t PanWindowLeft_ = 0, PanWindowTop_ = 0;
    std::int16_t PanWindowSize_ = 200;
    QString PanWindowCaption_;
    bool PanWindowCloseBox_ = false;
    bool PanWindowRectRev_ = false;
    std::uint32_t PanWindowRectColor_ = 0;
    std::uint32_t PanWindowColor_ = 0xFFFFFF;
    bool PanWindowRefine1BitImage_ = true;
    QCursor PanWindowCursor_{Qt::ArrowCursor};
    QCursor PanWindowRectCursor_{Qt::SizeAllCursor};
};
