#pragma once
// Files named on the command line ("RidoreVu book.tif", "RidoreVu a.jpg b.png"): which tab takes
// them and which names do not lead to a file. One TIFF opens in the viewer tab; anything else is
// registered in the page list, as a drop on the build tab would.

#include "app/MainLayout.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace app {

struct CommandLineFiles {
    // The tab that receives `files`.
    Tab tab = Tab::Build;
    // Absolute paths of the named files that exist, in the order given.
    QStringList files;
    // The names as given that lead to no file (missing, or a folder).
    QStringList missing;
};

// Whether a path names an existing file (not a folder).
using IsFile = std::function<bool(const QString& path)>;

// `arguments` are those after the program name; relative names are taken from `currentDir`,
// "file://" addresses (as a desktop launcher may hand them) are taken as their local paths.
// The routing counts only the names that exist: "a.tif missing.tif" shows a.tif in the viewer.
CommandLineFiles commandLineFiles(const QStringList& arguments, const QString& currentDir, const IsFile& isFile);

// The message for names that lead to no file: one line per name.
QString missingFilesMessage(const QStringList& missing);

}  // namespace app
