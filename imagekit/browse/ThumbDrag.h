#pragma once
// Dragging tiles out of the thumbnail browser: the selected entries' files as a file drop
// (text/uri-list), the page of the first one in a MIME part of its own, and the page
// handed to a display control through its window title while the drop reaches it.

#include "browse/IkSortData.h"

#include <QObject>
#include <QString>

#include <vector>

class QMimeData;
class QWidget;

// The MIME type that carries the 0-based page of the first dragged entry, as decimal text.
inline constexpr char kThumbPageMimeType[] = "application/x-vidirazorod-page";

// The drop of the selected entries in list order; nullptr when none is selected.
QMimeData* ThumbDragData(const std::vector<TIKSORTDATA>& entries);
// The page of the first selected entry; 0 when none is selected.
int ThumbDragPage(const std::vector<TIKSORTDATA>& entries);

// The window titles of the kit's display controls that read a page from their title.
bool isPageTitle(const QString& title);
// "%s%05d" of name and page; the name alone for a page of 0 or less.
QString Ik6PageTitle(const QString& name, int page);
void SetWindowText_Ik6Page(QWidget* window, const QString& name, int page);

// While installed on the application, a drop that reaches a widget titled as a display
// control first sets that title to carry the page.
class ThumbPageHandOver : public QObject {
public:
    explicit ThumbPageHandOver(int page) : page_(page) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int page_;
};
