#pragma once
// The navigation window of a display control: a tool window that shows the whole image
// shrunk to its client area with the visible part marked, and scrolls its display control
// when that mark is dragged. Also the process-wide table of navigation windows.

#include "ik7kit.h"
#include "Ikutils.h"

#include <QImage>
#include <QWidget>

#include <cstddef>
#include <cstdint>

class TVIkDisp;
class IkPanWindow;

// One navigation window of the process; all zero once its window is destroyed.
struct TPANOBJ {
    IkPanWindow* window = nullptr;
    IKHANDLE image = 0;
    IKHANDLE refined = 0;        // grey thumbnail at the client size, or 0
    IKHANDLE memoryContext = 0;  // the owner's editing context: none in this configuration
    std::int32_t windowWidth = 0, windowHeight = 0;  // outer size for the next show
    std::int32_t clientWidth = 0, clientHeight = 0;  // client size when the thumbnail was made
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // visible part, right/bottom exclusive
    double scaleX = 0, scaleY = 0;
    TVIkDisp* owner = nullptr;
};

// The table shared by every display control on the window thread. Entries are appended
// and never reordered; the table is released when no entry names a window.
namespace PanTable {
void append(IkPanWindow* window, TVIkDisp* owner);
TPANOBJ* entryOf(const IkPanWindow* window);
TPANOBJ* entryOfOwner(const TVIkDisp* owner);
// Releases the owner's thumbnail, zeroes its entry and releases the table when empty.
void remove(const TVIkDisp* owner);
std::size_t count();
}  // namespace PanTable

class IkPanWindow : public QWidget {
public:
    static inline const char* const kInitialTitle = "RoduvIzi7PanWindowName";

    explicit IkPanWindow(TVIkDisp* owner);

    // Window decoration: title bar with close button, title bar only, or a frameless
    // window with a 1-pixel border.
    void applyStyle(bool closeBox, bool caption);
    // Client size for an outer size recorded in the table.
    QSize clientSizeFor(int outerWidth, int outerHeight) const;
    int captionHeight() const;
    // The image area inside the border, in widget coordinates.
    QRect clientRect() const { return contentsRect(); }
    // Makes the owner's top-level window the owner of this tool window.
    void followOwnerWindow();

    // The thumbnail must be rendered again (new image, colour, refinement).
    void thumbnailChanged();
    // The stored rectangle moved: composed at once from the kept thumbnail.
    void rectChanged();
    // Shows `colour` at once over the whole client area.
    void fillNow(const QColor& colour);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void renderThumbnail(const TPANOBJ& entry);
    void compose();
    void reactivateOwner();
    QPoint clientPoint(const QPointF& widgetPoint) const;

    TVIkDisp* owner_;
    QImage thumbnail_;  // the rendered thumbnail, kept while the rectangle moves
    QImage shown_;      // the thumbnail with the rectangle
    bool thumbnailStale_ = true;
    bool shownStale_ = true;
};
