#include "app/QtTextsJapanese.h"

#include <cstring>

namespace app {

namespace {

struct Text {
    const char* context;
    const char* source;
    const char* japanese;
};

constexpr Text kTexts[] = {
    {"QAbstractFileIconProvider", "Folder", "フォルダー"},
    {"QAbstractFileIconProvider", "Drive", "ドライブ"},
    {"QAbstractFileIconProvider", "Shortcut", "ショートカット"},
    {"QAbstractFileIconProvider", "Unknown", "不明"},
};

}  // namespace

QString QtTextsJapanese::translate(const char* context, const char* sourceText, const char*, int) const {
    if (!context || !sourceText) return {};
    for (const Text& t : kTexts)
        if (std::strcmp(t.context, context) == 0 && std::strcmp(t.source, sourceText) == 0)
            return QString::fromUtf8(t.japanese);
    return {};
}

}  // namespace app
