#pragma once
// A preview pane fed through a one-shot slide list: the lines are written into the
// program's private temporary folder, the slide control reads them, the file is deleted.
// Requests made while earlier ones wait are merged: only the newest is shown, so moving
// through a list with held-down keys never queues previews behind each other.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class TVIkSlide;

namespace app {

// The look and reading of the program's preview panes.
void setUpPreviewPane(TVIkSlide& slide);

// Writes the lines of a slide list, each ended by CR LF, in UTF-8; false when the file
// cannot be created or written.
bool writeSlideList(const QString& path, const QStringList& lines);

class PagePreview : public QObject {
public:
    // listPath: where the slide list is written for each preview.
    PagePreview(TVIkSlide* slide, QString listPath, QObject* parent = nullptr);

    // Shows entry `index` of the list `lines` once the events waiting now are handled.
    void request(const QStringList& lines, int index);
    // Shows a waiting request at once; nothing when none waits.
    void flush();
    // Drops a waiting request and empties the pane.
    void close();

private:
    void show();

    TVIkSlide* slide_;
    QString listPath_;
    QStringList lines_;
    int index_ = 0;
    QTimer timer_;
};

}  // namespace app
