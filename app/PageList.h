#pragma once
// The list of registered files of the build tab: one row per registration, in page order.
// Kept apart from the grid that shows it, so its rules run without a window.

#include <QString>
#include <QStringList>

namespace app {

// Label of data row n: " page " and n, unpadded.
QString pageLabel(int n);

// The extension of a path: from the last "." after the last "/", dot included; empty if none.
QString fileExtension(const QString& path);

// Whether a dropped name has one of the registrable image extensions (case ignored).
bool isRegistrableDropName(const QString& path);

// Sorts paths ascending, without regard to case, in the user's locale order.
void sortPathsForUser(QStringList& paths);

class PageList {
public:
    int count() const { return static_cast<int>(paths_.size()); }
    const QStringList& paths() const { return paths_; }
    // Rows of the grid showing the list: header plus rows, never fewer than two.
    int gridRowCount() const { return std::max(2, count() + 1); }

    // Registers the names of existing files, in order; returns how many were taken.
    int registerExisting(const QStringList& names);
    // Registers dropped names with a registrable extension, without checking that they exist.
    int registerDropped(const QStringList& names);
    void sort() { sortPathsForUser(paths_); }
    // Removes data row `row` (1-based); false when there is no such row.
    bool deleteRow(int row);
    void clear() { paths_.clear(); }
    // Moves data row `from` to position `to` (both 1-based), as a dragged grid row moves.
    void moveRow(int from, int to);

private:
    QStringList paths_;
};

}  // namespace app
