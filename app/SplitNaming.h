#pragma once
// Names of the single-page files a split writes, and the page choices of its check list.

#include <QList>
#include <QString>

#include <optional>

namespace app {

// The number zero-padded to `digits` (1 to 8; a longer number is written in full);
// empty when there is no number or the digit count is outside 1 to 8.
QString exportNumberText(std::optional<int> number, int digits);

// Folder + "/" + the source's file name with its extension replaced by "_" + number + ".tif"
// ("/scan/book.tif", "/out", "0003" → "/out/book_0003.tif").
QString splitTargetPath(const QString& folder, const QString& sourcePath, const QString& numberText);

// The chosen folder with one trailing separator removed (the root stays "/").
QString folderWithoutTrailingSeparator(const QString& folder);

// Whether a dropped name is a TIFF file by its extension (".tif" or ".tiff", any case).
bool isTiffName(const QString& path);

// The check marks of `pageCount` pages for the check-list menu: all, odd, even or none.
enum class PageChoice { All, Odd, Even, None };
QList<bool> pageChecks(int pageCount, PageChoice choice);

}  // namespace app
