#pragma once
// Folder and file-name services of the listing: the extension list, the folders of a
// ";"-separated path text, whether a name matches the list, the files a list entry
// finds in a folder, and the date texts of files.

#include "browse/IkSortData.h"

#include <QString>
#include <QStringList>

#include <optional>

// In a namespace of their own: the kit's function table holds entries of the same names.
namespace IkBrowse {

// Limits of the extension list: entries, and bytes of one entry with its terminating zero.
inline constexpr int kFileExtMaxCount = 1000;
inline constexpr int kFileExtEntryBytes = 64;

// The ";"-separated entries of fileExt, blanks around them removed, empty ones and those
// longer than an entry can hold left out, at most kFileExtMaxCount.
QStringList GetPathFileExt(const QString& fileExt);

// The ";"-separated folders of a path text, each without trailing delimiter.
QStringList GetPathDir(const QString& filePath);

// The extension (text after the last ".", possibly empty) of a file name that the list
// accepts: an entry equal to its extension, or an entry containing "." that matches the
// whole name (wildcards "*" and "?" allowed); nothing when no entry accepts it. Case
// does not count.
std::optional<QString> GetFileExt(const QString& name, const QStringList& extList);

// The names of the files (not folders) that one list entry finds in a folder: the entry
// itself when it names an existing file or contains "."; otherwise "*." + entry. Case
// does not count; names in case-blind order. Hidden files only when asked for.
QStringList findFiles(const QString& folder, const QString& entry, bool withHidden);

// The date of a file as "yyyyMMddhhmmss" (UTC) of the kind chosen; empty when the file
// does not exist. A file system without creation times gives the last-write time.
QString GetFileDateTimeEx(const QString& name, const QString& folder, TVIkSortDate kind);
QString GetPathFileDateTime(const QString& path, TVIkSortDate kind);

// folder + "/" + name.
QString joinPath(const QString& folder, const QString& name);

}  // namespace IkBrowse
