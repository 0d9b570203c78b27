#include "widgets/HistcboxRules.h"

#include <QDir>
#include <QFileInfo>

namespace widgets {

int addHistoryText(QStringList& items, const QString& text) {
    if (text.isEmpty()) return 0;
    const qsizetype at = items.indexOf(text);
    if (at >= 0) {
        items.move(at, 0);
        return 0;
    }
    items.prepend(text);
    return 1;
}

QString historyFilePath(const QString& name, const QString& executableDir) {
    QString path = name;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".ini");
    if (!path.contains(u'/')) path = QDir(executableDir).filePath(path);
    return path;
}

QString historySaveKey(QString key) {
    while (key.endsWith(u'\\')) key.chop(1);
    return key;
}

QStringList readHistoryEntries(int count, const std::function<std::optional<QString>(int)>& entryAt) {
    QStringList entries;
    for (int i = 0; i < count; ++i) {
        std::optional<QString> entry = entryAt(i);
        if (!entry) break;
        entries.append(std::move(*entry));
    }
    return entries;
}

}  // namespace widgets
