#pragma once
// History list and storage-name rules of the history combo box, kept apart from the widget.

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace widgets {

// Puts a text at the top of a most-recent-first list: an empty text is ignored (0), a text
// already present is moved to the top (0), a new one is inserted at the top (1).
int addHistoryText(QStringList& items, const QString& text);

// The settings file for a name: ".ini" appended when the name has no extension, and the
// executable's folder put in front when the name has no folder part.
QString historyFilePath(const QString& name, const QString& executableDir);

// A registry key for saving: trailing backslashes removed.
QString historySaveKey(QString key);

// The stored entries, read from index 0 while they exist and at most `count` of them, so that
// a damaged count neither reads past the stored entries nor reserves room for them.
QStringList readHistoryEntries(int count, const std::function<std::optional<QString>(int)>& entryAt);

// Key names of the stored form.
inline QString historyCountKey() { return QStringLiteral("HistoryCount"); }
inline QString historyEntryKey(int index) { return QStringLiteral("History") + QString::number(index); }

}  // namespace widgets
