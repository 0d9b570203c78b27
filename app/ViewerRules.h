#pragma once
// The viewer tab's rules that need no window: the zoom list and its scales, and how a
// file's path is handed to the thumbnail browser as a folder and a name.

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

// The items of the zoom list, in order.
QStringList zoomItems();
// The display scale of a zoom item; none for no selection or an index out of the list.
std::optional<double> zoomScale(int index);

struct FolderAndName {
    QString folder;  // without a trailing separator; the root stays "/"
    QString name;    // name with extension
};
// Cuts a file's path before its last separator.
FolderAndName splitFolderAndName(const QString& path);
// The path of a name in a folder given as splitFolderAndName gives it.
QString joinFolderAndName(const QString& folder, const QString& name);

}  // namespace app
