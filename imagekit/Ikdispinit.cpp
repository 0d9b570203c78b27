#include "Ikdispinit.h"

#include <QLocale>

#include <cstring>

namespace Ikdispinit {

char szPopupEditMenu_All[kPopupTextBytes], szPopupEditMenu_Cut[kPopupTextBytes],
    szPopupEditMenu_Copy[kPopupTextBytes], szPopupEditMenu_Paste[kPopupTextBytes],
    szPopupEditMenu_Rotate[kPopupTextBytes], szPopupEditMenu_Clear[kPopupTextBytes],
    szPopupEditMenu_Undo[kPopupTextBytes], szPopupEditMenu_Create[kPopupTextBytes],
    szPopupEditMenu_Delete[kPopupTextBytes], szPopupEditMenu_Prop[kPopupTextBytes],
    szPopupEditMenu_Lock[kPopupTextBytes], szPopupEditMenu_Front[kPopupTextBytes],
    szPopupEditMenu_Back[kPopupTextBytes];

std::int32_t g_ResetCount = 0;

namespace {

struct PopupText {
    char* target;
    int japaneseId;
    int englishId;
};

const PopupText kPopupTexts[] = {
    {szPopupEditMenu_All, 500, 1500},    {szPopupEditMenu_Cut, 501, 1501},    {szPopupEditMenu_Copy, 502, 1502},
    {szPopupEditMenu_Paste, 503, 1503},  {szPopupEditMenu_Rotate, 504, 1504}, {szPopupEditMenu_Clear, 505, 1505},
    {szPopupEditMenu_Undo, 506, 1506},   {szPopupEditMenu_Create, 598, 1598}, {szPopupEditMenu_Delete, 553, 1553},
    {szPopupEditMenu_Prop, 554, 1554},   {szPopupEditMenu_Lock, 555, 1555},   {szPopupEditMenu_Front, 556, 1556},
    {szPopupEditMenu_Back, 557, 1557},
};

struct StringResource {
    int id;
    const char* text;
};

const StringResource kStrings[] = {
    {500, "全選択(&A)"},       {501, "切り取り(&T)"},       {502, "コピー(&C)"},
    {503, "貼り付け(&P)"},     {504, "回転(&R)"},           {505, "選択範囲取消し(&L)"},
    {506, "取消し(&U)"},       {598, "新規作成(&E)"},       {553, "削除(&D)"},
    {554, "プロパティ(&P)"},   {555, "ロック(&L)"},         {556, "最前面へ移動(&F)"},
    {557, "最背面へ移動(&B)"}, {1500, "Select&All"},        {1501, "Cu&T"},
    {1502, "&Copy"},           {1503, "&Paste"},            {1504, "&Rotate"},
    {1505, "C&Lear"},          {1506, "&Undo"},             {1598, "Cr&Eate"},
    {1553, "&Delete"},         {1554, "&Property"},         {1555, "&Lock"},
    {1556, "Bring to &Front"}, {1557, "Send to &Back"},
};

// Copies a UTF-8 text into a fixed buffer, cutting only at a character boundary.
void copyText(char* target, const QByteArray& text) {
    qsizetype length = text.size();
    if (length > kPopupTextBytes - 1) {
        length = kPopupTextBytes - 1;
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    std::memcpy(target, text.constData(), static_cast<std::size_t>(length));
    target[length] = '\0';
}

}  // namespace

QString stringResource(int id) {
    for (const StringResource& entry : kStrings)
        if (entry.id == id) return QString::fromUtf8(entry.text);
    return QString();
}

void loadPopupMenuTexts(bool japanese) {
    for (const PopupText& entry : kPopupTexts)
        copyText(entry.target, stringResource(japanese ? entry.japaneseId : entry.englishId).toUtf8());
}

void Initialize() {
    loadPopupMenuTexts(QLocale::system().language() == QLocale::Japanese);
    ++g_ResetCount;
}

}  // namespace Ikdispinit
