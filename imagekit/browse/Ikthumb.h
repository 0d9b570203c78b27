#pragma once
// TVIkThumb: the kit's thumbnail browser. It lists the image files of folders, or the
// pages of multi-page files, as a grid of tiles, makes their thumbnails through the kit,
// scrolls, selects and reports the chosen entry through events. Geometry and selection
// rules are pure functions (ThumbLayout, ThumbSelection); the widget wires and paints.

#include "IkAttachment.h"
#include "browse/IkListing.h"
#include "browse/IkSortData.h"
#include "browse/ThumbBackground.h"
#include "browse/ThumbBatch.h"
#include "browse/ThumbLayout.h"
#include "browse/ThumbSelection.h"
#include "display/Ikutils.h"

#include <QCursor>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QScrollBar;
class QPainter;

class TVIkThumb : public QWidget {
public:
    using TVIkSelectFileEvent =
        std::function<void(TVIkThumb* sender, const QString& PathName, const QString& FileName, std::int16_t ImageNumber,
                           std::int16_t MaxImage, std::int16_t ALeft, std::int16_t ATop, std::int16_t ARight,
                           std::int16_t ABottom)>;
    using TVIkLoadFileEvent = std::function<void(TVIkThumb* sender, const QString& PathName, const QString& FileName,
                                                 std::int16_t ImageNumber, std::int16_t MaxImage)>;

    explicit TVIkThumb(QWidget* parent = nullptr);
    ~TVIkThumb() override;

    TVIkSelectFileEvent OnSelectFile;
    TVIkSelectFileEvent OnMouseMoveOnThumb;
    TVIkSelectFileEvent OnShowThumbImage;
    TVIkLoadFileEvent OnStartLoadFile;
    TVIkLoadFileEvent OnEndLoadFile;
    std::function<void(TVIkThumb* sender, const QString& PathName, const QString& FileName)> OnDropFileInThumb;

    // Methods.
    void SetFilePath(const QString& path);
    std::int32_t GetFiles();
    bool Display();
    void Clear();
    void Refresh() { update(); }
    bool Scroll();
    bool UpdateThumbnailFile();
    bool SelectImage(int n);
    bool DeSelectImage(int n);
    bool IsSelected(int n);
    bool Delete(int n);
    int GetSelectedCount() const { return selectedCount(entries_); }
    void SetImageHandle(IKHANDLE image);
    bool SetThumbArrayNum(int n);
    void SetStartNum(int n);
    // Makes the thumbnail of entry index (0-based); false when it could not be made.
    bool GetThumbnailImage(int index);
    // Sets the stop flag: no further thumbnail is made until GetFiles or Display; background
    // work is stopped and waited for.
    void Stop();
    // With the switch on, Display makes the visible tiles' thumbnails and returns; the rest
    // are made on one worker thread and taken in entry order through the event loop.
    bool MakeInBackground() const { return MakeInBackground_; }
    void SetMakeInBackground(bool v) { MakeInBackground_ = v; }
    // Whether thumbnails are still being made in the background or waiting to be taken.
    bool ThumbnailsPending() const { return background_.pending(); }

    // Properties (colours are 0x00BBGGRR).
    std::uint16_t ErrorCode() const { return ErrorCode_; }
    TVIkAppearance Appearance() const { return Appearance_; }
    void SetAppearance(TVIkAppearance v) { setInvalidating(Appearance_, v); }
    std::uint32_t BorderColor() const { return BorderColor_; }
    void SetBorderColor(std::uint32_t v) { setInvalidating(BorderColor_, v); }
    bool BorderVisible() const { return BorderVisible_; }
    void SetBorderVisible(bool v) { setInvalidating(BorderVisible_, v); }
    std::uint32_t Color() const { return Color_; }
    void SetColor(std::uint32_t v) { setInvalidating(Color_, v); }
    std::int16_t ColCount() const { return ColCount_; }
    void SetColCount(std::int16_t v);
    std::int16_t RowCount() const { return RowCount_; }
    void SetRowCount(std::int16_t v);
    std::int16_t GapSize() const { return GapSize_; }
    void SetGapSize(std::int16_t v);
    std::int16_t EdgeSize() const { return EdgeSize_; }
    void SetEdgeSize(std::int16_t v);
    bool DispFileName() const { return DispFileName_; }
    void SetDispFileName(bool v) { setInvalidating(DispFileName_, v); }
    QString FilePath() const { return listing_.FilePath; }
    QString FileExt() const { return listing_.FileExt; }
    void SetFileExt(const QString& v) { listing_.FileExt = v; }
    std::int16_t ScrollStep() const { return ScrollStep_; }
    void SetScrollStep(std::int16_t v) { ScrollStep_ = v; }
    std::uint32_t TextColor() const { return TextColor_; }
    void SetTextColor(std::uint32_t v) { TextColor_ = v; }
    std::uint32_t TextBackColor() const { return TextBackColor_; }
    void SetTextBackColor(std::uint32_t v) { setInvalidating(TextBackColor_, v); }
    bool TextTransparent() const { return TextTransparent_; }
    void SetTextTransparent(bool v) { setInvalidating(TextTransparent_, v); }
    std::uint32_t SelectTextColor() const { return SelectTextColor_; }
    void SetSelectTextColor(std::uint32_t v) { setInvalidating(SelectTextColor_, v); }
    std::uint32_t SelectTextBackColor() const { return SelectTextBackColor_; }
    void SetSelectTextBackColor(std::uint32_t v) { setInvalidating(SelectTextBackColor_, v); }
    bool SelectTextTransparent() const { return SelectTextTransparent_; }
    void SetSelectTextTransparent(bool v) { setInvalidating(SelectTextTransparent_, v); }
    bool ScrollBar() const { return ScrollBar_; }
    void SetScrollBar(bool v);
    TVIkThumbnailScroll ScrollVH() const { return ScrollVH_; }
    void SetScrollVH(TVIkThumbnailScroll v);
    TVIkThumbnailReadMode ReadMode() const { return listing_.ReadMode; }
    void SetReadMode(TVIkThumbnailReadMode v) { listing_.ReadMode = v; }
    std::int32_t StartNum() const { return StartNum_; }
    TVIkThumbnailStyle Style() const { return Style_; }
    void SetStyle(TVIkThumbnailStyle v) { setInvalidating(Style_, v); }
    TVIkSort Sort() const { return listing_.Sort; }
    void SetSort(TVIkSort v) { listing_.Sort = v; }
    TVIkSortDate SortDate() const { return listing_.SortDate; }
    void SetSortDate(TVIkSortDate v) { listing_.SortDate = v; }
    TVIkSortOrder SortOrder() const { return listing_.SortOrder; }
    void SetSortOrder(TVIkSortOrder v) { listing_.SortOrder = v; }
    bool EnableMouseWheel() const { return EnableMouseWheel_; }
    void SetEnableMouseWheel(bool v) { EnableMouseWheel_ = v; }
    std::int16_t ImageSize() const { return listing_.ImageSize; }
    void SetImageSize(std::int16_t v);
    QString ThumbnailFile() const { return listing_.ThumbnailFile; }
    void SetThumbnailFile(const QString& v) { listing_.ThumbnailFile = v; }
    bool EnableDragTarget() const { return EnableDragTarget_; }
    void SetEnableDragTarget(bool v) {
        EnableDragTarget_ = v;
        setAcceptDrops(v);
    }
    bool EnableMove() const { return EnableMove_; }
    void SetEnableMove(bool v) { EnableMove_ = v; }
    bool EnableArrowKeys() const { return EnableArrowKeys_; }
    void SetEnableArrowKeys(bool v) { EnableArrowKeys_ = v; }
    // Adds the files at the tile under pos (appended behind the last entry), as a drop does;
    // the number of entries added.
    int DropFiles(const QStringList& paths, const QPoint& pos);
    bool EnableDragSource() const { return EnableDragSource_; }
    void SetEnableDragSource(bool v) { EnableDragSource_ = v; }
    bool EnableMouseMoveButton() const { return EnableMouseMoveButton_; }
    void SetEnableMouseMoveButton(bool v);
    bool EnableSelectMultiFiles() const { return EnableSelectMultiFiles_; }
    void SetEnableSelectMultiFiles(bool v) { EnableSelectMultiFiles_ = v; }
    std::uint32_t ForeColorUp() const { return ForeColorUp_; }
    void SetForeColorUp(std::uint32_t v) { setInvalidating(ForeColorUp_, v); }
    std::uint32_t ForeColorDown() const { return ForeColorDown_; }
    void SetForeColorDown(std::uint32_t v) { setInvalidating(ForeColorDown_, v); }
    bool Button3D() const { return Button3D_; }
    void SetButton3D(bool v) { setInvalidating(Button3D_, v); }
    QCursor SelectCursor() const { return SelectCursor_; }
    void SetSelectCursor(const QCursor& v) { SelectCursor_ = v; }
    bool ClearOnLoad() const { return ClearOnLoad_; }
    void SetClearOnLoad(bool v) { ClearOnLoad_ = v; }
    // Caption override an OnShowThumbImage handler may set for the tile being drawn.
    QString ThumbText;

    // Read-only state.
    int Count() const { return static_cast<int>(entries_.size()); }
    const std::vector<TIKSORTDATA>& Entries() const { return entries_; }
    const std::vector<ThumbTile>& Tiles() const { return grid_.tiles; }
    const ThumbGrid& Grid() const { return grid_; }
    int FirstVisible() const { return first_; }
    int WheelAccumulator() const { return wheelAccumulator_; }
    QScrollBar* VertScrollBar() const { return vBar_; }
    QScrollBar* HorzScrollBar() const { return hBar_; }
    // The names SetThumbArrayNum chose, and the selected file name.
    QString ThumbPathName() const { return chosenPath_; }
    QString ThumbFileName() const { return chosenName_; }
    std::int16_t ThumbPage() const { return chosenPage_; }
    QString SelectFileName() const { return selectFileName_; }
    // A scroll-bar request as the bar sends it (also used by the wheel).
    void ScrollRequest(ThumbScrollRequest request, int tracked = 0);

    // The caption of an entry: its name, and " page" from the second image on.
    static QString displayName(const TIKSORTDATA& entry);

protected:
    virtual void DoDropFileInThumb(const QString& path, const QString& name);
    virtual void DoEndLoadFile(const QString& path, const QString& name, std::int16_t number, std::int16_t max);
    virtual void DoMouseMoveOnThumb(const QString& path, const QString& name, std::int16_t number, std::int16_t max,
                                    const Ikutils::IkRect& r);
    virtual void DoSelectFile(const QString& path, const QString& name, std::int16_t number, std::int16_t max,
                              const Ikutils::IkRect& r);
    virtual void DoShowThumbImage(const QString& path, const QString& name, std::int16_t number, std::int16_t max,
                                  const Ikutils::IkRect& r);
    virtual void DoStartLoadFile(const QString& path, const QString& name, std::int16_t number, std::int16_t max);

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    template <typename T>
    void setInvalidating(T& field, T value) {
        if (field == value) return;
        field = value;
        update();
    }
    bool displayMode() const { return listing_.ReadMode == vikThumbRdDsp || listing_.ReadMode == vikThumbRdDspMultiImg; }
    QSize clientSize() const;
    void layoutGrid();
    void updateScrollBars();
    void hideScrollBars();
    void setFirst(int first);
    bool validNumber(int n);
    void freeEntries();
    void makeVisibleThumbnails();
    void prefetchThumbnails(int from, int count);
    void makeAllThumbnails();
    void startBackground();
    void stopBackground();
    void takeBackgroundThumbnail(std::uint64_t generation);
    void selectAt(const QPoint& pos, ThumbSelectAt at, Qt::KeyboardModifiers modifiers);
    void fireSelect(int index);
    void fireEmptySelect(bool hover);
    Ikutils::IkRect eventRect(int index, bool showEvent) const;
    void startDrag();
    void cancelMove();
    // Drawing (IkthumbDraw.cpp).
    void paintGrid(QPainter& p);
    void drawTile(QPainter& p, int tile);
    void drawEmptyTile(QPainter& p, const ThumbTile& t, bool selected);
    bool drawThumbnail(QPainter& p, const ThumbTile& t, const TIKSORTDATA& entry);
    void drawCaption(QPainter& p, const ThumbTile& t, const TIKSORTDATA& entry, const QString& text);
    void drawBorder(QPainter& p);

    IkAttachment attachment_;
    std::vector<TIKSORTDATA> entries_;
    ThumbBatch batch_;  // thumbnails made ahead in parallel, taken in event order
    ThumbBackground background_;  // the rest of Display's thumbnails, made beside the window
    int backgroundCursor_ = 0;    // where the search for the next background entry starts
    bool takingBackground_ = false;
    bool MakeInBackground_ = false;
    QStringList extList_;
    ThumbGrid grid_;
    ThumbSelectionState selection_;
    int first_ = 0;
    int pressedEntry_ = -1;
    int hoveredEntry_ = -1;
    bool pressedOnTile_ = false;
    bool dragged_ = false;
    bool moving_ = false;  // selected tiles dragged inside the control
    QPoint pressPos_;
    bool busy_ = false;
    bool stop_ = false;
    int skipped_ = 0;
    int wheelAccumulator_ = 0;
    std::uint32_t gdipToken_ = 0;
    QString chosenPath_, chosenName_, selectFileName_;
    std::int16_t chosenPage_ = 0;

    std::uint16_t ErrorCode_ = 0;
    TVIkAppearance Appearance_ = vikFlat;
    std::uint32_t BorderColor_ = 0;
    bool BorderVisible_ = false;
    std::uint32_t Color_ = 0xFFFFFF;
    std::int16_t ColCount_ = 2, RowCount_ = 2, GapSize_ = 5, EdgeSize_ = 5;
    bool DispFileName_ = false;
    // What GetFiles lists and how: path, extensions, read mode, sorting, thumbnail size and file.
    IkListSettings listing_;
    std::int16_t ScrollStep_ = 1;
    std::uint32_t TextColor_ = 0, TextBackColor_ = 0xFFFFFF;
    bool TextTransparent_ = true;
    std::uint32_t SelectTextColor_ = 0, SelectTextBackColor_ = 0xFFFFFF;
    bool SelectTextTransparent_ = true;
    bool ScrollBar_ = true;
    TVIkThumbnailScroll ScrollVH_ = vikThumbVertical;
    std::int32_t StartNum_ = 0;
    TVIkThumbnailStyle Style_ = vikButton;
    bool EnableMouseWheel_ = false;
    bool EnableDragSource_ = false;
    bool EnableDragTarget_ = false;
    bool EnableArrowKeys_ = false;
    bool EnableMove_ = false;
    bool EnableMouseMoveButton_ = false;
    bool EnableSelectMultiFiles_ = false;
    std::uint32_t ForeColorUp_ = 14737632, ForeColorDown_ = 8421504;
    bool Button3D_ = true;
    QCursor SelectCursor_{Qt::ArrowCursor};
    bool ClearOnLoad_ = true;

    QScrollBar* hBar_;
    QScrollBar* vBar_;
};
