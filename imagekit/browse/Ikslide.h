#pragma once
// TVIkSlide: the kit's slide control. It shows one image at a time, fitted into its client
// area, from a list read from a slide file or from the image files of folders; it steps
// through the list on command or on a timer and brings each image in with a wipe. The
// wipe runs on a timer of the event loop, one copy per tick, so it never blocks input.

#include "IkAttachment.h"
#include "browse/IkSortData.h"
#include "browse/SlideGeometry.h"
#include "display/Ikutils.h"
#include "ik7kit.h"

#include <QBasicTimer>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QPainter;

enum TVIkSlideFileReadWay : std::uint8_t { vikSlidefile = 0, vikFolder = 1, vikFolderMultiImage = 2 };

class TVIkSlide : public QWidget {
public:
    using TVIkSlideEvent = std::function<void(TVIkSlide* Sender, std::int16_t ImageNumber, const QString& PathName,
                                              const QString& FileName)>;
    using TVIkProgressEvent = std::function<void(TVIkSlide* Sender, std::int16_t Percent)>;

    // Milliseconds between two copies of a wipe.
    static constexpr int kWipeStepMs = 1;

    explicit TVIkSlide(QWidget* parent = nullptr);
    ~TVIkSlide() override;

    TVIkSlideEvent OnStartSlide;
    TVIkProgressEvent OnProgress;
    TVIkSlideEvent OnEndSlide;

    // Methods.
    bool Open();
    bool Close();
    bool Start();
    bool Stop();
    bool GoNext();
    bool GoBack();
    bool GoTop();
    bool GoBottom();
    void SetCurrentImage(int n);
    void Clear();

    // Properties (colours are 0x00BBGGRR).
    std::uint16_t ErrorCode() const { return ErrorCode_; }
    TVIkAppearance Appearance() const { return Appearance_; }
    void SetAppearance(TVIkAppearance v) { setRedrawing(Appearance_, v); }
    std::uint32_t BorderColor() const { return BorderColor_; }
    void SetBorderColor(std::uint32_t v) { setRedrawing(BorderColor_, v); }
    bool BorderVisible() const { return BorderVisible_; }
    void SetBorderVisible(bool v) { setRedrawing(BorderVisible_, v); }
    std::uint32_t Color() const { return Color_; }
    void SetColor(std::uint32_t v) { setRedrawing(Color_, v); }
    std::int32_t CurrentImage() const { return CurrentImage_; }
    bool Endless() const { return Endless_; }
    void SetEndless(bool v) { Endless_ = v; }
    QString FileExt() const { return FileExt_; }
    void SetFileExt(const QString& v) { FileExt_ = v; }
    QString FilePath() const { return FilePath_; }
    // A trailing path delimiter is removed.
    void SetFilePath(const QString& v);
    TVIkSlideFileReadWay FileReadWay() const { return FileReadWay_; }
    void SetFileReadWay(TVIkSlideFileReadWay v) { FileReadWay_ = v; }
    std::int32_t IntervalTime() const { return IntervalTime_; }
    void SetIntervalTime(std::int32_t v) { IntervalTime_ = v < 0 ? 0 : v; }
    TVIkSlideScroll ScrollDir() const { return ScrollDir_; }
    void SetScrollDir(TVIkSlideScroll v) { ScrollDir_ = v; }
    std::int16_t ScrollSize() const { return ScrollSize_; }
    void SetScrollSize(std::int16_t v) { ScrollSize_ = v < 0 ? std::int16_t{0} : v; }
    QString SlideFileName() const { return SlideFileName_; }
    void SetSlideFileName(const QString& v) { SlideFileName_ = v; }
    TVIkSort Sort() const { return Sort_; }
    void SetSort(TVIkSort v) { Sort_ = v; }
    TVIkSortDate SortDate() const { return SortDate_; }
    void SetSortDate(TVIkSortDate v) { SortDate_ = v; }
    TVIkSortOrder SortOrder() const { return SortOrder_; }
    void SetSortOrder(TVIkSortOrder v) { SortOrder_ = v; }

    // Read-only state.
    bool IsOpen() const { return open_; }
    int Count() const { return static_cast<int>(entries_.size()); }
    const std::vector<TIKSORTDATA>& Entries() const { return entries_; }
    // The folder + delimiter + name of the current entry.
    QString CurrentFullPath() const { return currentPath_; }
    IKHANDLE DisplayImage() const { return display_; }
    bool Running() const { return showTimer_.isActive(); }
    bool Wiping() const { return wipe_.active; }
    // The picture on the window: what the last paint showed, or the wipe drew so far.
    const QImage& Screen() const { return screen_; }
    // The draw area (inclusive) for the current size, border and appearance.
    Ikutils::IkRect DrawArea() const;

protected:
    virtual void DoEndSlide(std::int16_t number, const QString& path, const QString& name);
    virtual void DoProgress(std::int16_t percent);
    virtual void DoStartSlide(std::int16_t number, const QString& path, const QString& name);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // A wipe in progress: the composed picture of the draw area and the copies still due.
    struct Wipe {
        bool active = false;
        QImage bitmap;
        std::vector<WipeStep> steps;
        std::size_t next = 0;
        int previousPercent = -1;
        Ikutils::IkRect area;
        TVIkSlideScroll dir = vikNormal;
    };

    template <typename T>
    void setRedrawing(T& field, T value) {
        if (field == value) return;
        field = value;
        screenCurrent_ = false;
        update();
    }
    bool buildList();
    // Sets CurrentImage to index brought into the list: wrapped with Endless after a step,
    // else clamped.
    void rangeCurrent(std::int64_t index, bool wrap);
    void setCurrentPath();
    bool sameAsLastDrawn() const;
    bool LoadSlideFile();
    bool loadAndShow();
    bool step(int delta, bool absolute);
    void freeDisplay();
    void stopShow() { showTimer_.stop(); }
    // Drawing (IkslideDraw.cpp).
    void DisplaySlideImage();
    QImage composeArea(const Ikutils::IkRect& area) const;
    void drawNormal(bool fireEvents);
    void wipeStep();
    void finishWipe();
    void abortWipe();
    void completeWipe();
    bool paintingCopy() const;
    void paintBackground(QPainter& p) const;
    void drawBorder(QPainter& p) const;
    void rememberDrawn();
    QString eventFileName() const;
    QString eventPathName() const;

    IkAttachment attachment_;
    std::vector<TIKSORTDATA> entries_;
    bool open_ = false;
    QString currentPath_;
    std::int16_t currentPage_ = 0;
    bool lastDrawnValid_ = false;
    QString lastPath_;
    std::int16_t lastPage_ = 0;
    IKHANDLE display_ = 0;
    bool drawing_ = false;
    QBasicTimer showTimer_;
    QTimer wipeTimer_;
    Wipe wipe_;
    std::uint64_t wipeGeneration_ = 0;
    QImage screen_;
    bool screenCurrent_ = false;  // the screen picture is already what a paint should show
    std::uint32_t gdipToken_ = 0;

    std::uint16_t ErrorCode_ = 0;
    TVIkAppearance Appearance_ = vikLowered;
    std::uint32_t BorderColor_ = 0;
    bool BorderVisible_ = true;
    std::uint32_t Color_ = 0xFFFFFF;
    std::int32_t CurrentImage_ = 0;
    bool Endless_ = false;
    QString FileExt_ = QStringLiteral("BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC");
    QString FilePath_;
    TVIkSlideFileReadWay FileReadWay_ = vikSlidefile;
    std::int32_t IntervalTime_ = 0;
    TVIkSlideScroll ScrollDir_ = vikNormal;
    std::int16_t ScrollSize_ = 1;
    QString SlideFileName_;
    TVIkSort Sort_ = vikSortNone;
    TVIkSortDate SortDate_ = vikSortDateLastWriteTime;
    TVIkSortOrder SortOrder_ = vikSortOrderInc;
};
