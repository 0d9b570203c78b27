#include "Ikdispinit.h"

#include "platform/GlobalMemory.h"

#include <QLocale>

#include <cstring>

namespace Ikdispinit {

std::int16_t g_PenSize1, g_PenSize2, g_PenSize3, g_PenSize4, g_PenSize5;
std::int16_t g_AirBrushSize1, g_AirBrushSize2, g_AirBrushSize3, g_AirBrushSize4, g_AirBrushSize5;
std::int16_t g_EraserSize1, g_EraserSize2, g_EraserSize3, g_EraserSize4, g_EraserSize5;
TVIkAction g_Action;
std::int32_t g_ToolBarType;
TVIkFillPattern g_FillPattern;
bool g_FontTrans;
std::int16_t g_PenSize;
std::uint32_t g_ForeColor, g_BackColor;
bool g_Square, g_Circle;
QString g_Text;
std::int16_t g_AirBrushSize;
bool g_Blur;
std::int16_t g_EraserSize;
QString g_FontName;
std::int32_t g_FontHeight;
bool g_FontBold, g_FontItalic, g_FontUnderline, g_FontStrikeOut;
std::int32_t g_ToolBarLeft, g_ToolBarTop;
QString g_ToolBarCap;
bool g_ToolBarSysMenu;
bool g_EnableEditPopupMenu;
std::int32_t g_ActionSave;
std::int32_t g_NumButton;
void* g_hToolBarCursor;
void* g_hFont;
void* g_ToolBarParentWnd;
void* g_ToolBarChildWnd;
TVIkLogFont g_LogFont;
TVIkEditClip g_Clip;
std::int32_t g_VectPropDlg1_x, g_VectPropDlg1_y;
std::int32_t g_EditMode;
bool g_ToolBarFixed;

char szPopupEditMenu_All[kPopupTextBytes], szPopupEditMenu_Cut[kPopupTextBytes],
    szPopupEditMenu_Copy[kPopupTextBytes], szPopupEditMenu_Paste[kPopupTextBytes],
    szPopupEditMenu_Rotate[kPopupTextBytes], szPopupEditMenu_Clear[kPopupTextBytes],
    szPopupEditMenu_Undo[kPopupTextBytes], szPopupEditMenu_Create[kPopupTextBytes],
    szPopupEditMenu_Delete[kPopupTextBytes], szPopupEditMenu_Prop[kPopupTextBytes],
    szPopupEditMenu_Lock[kPopupTextBytes], szPopupEditMenu_Front[kPopupTextBytes],
    szPopupEditMenu_Back[kPopupTextBytes];

std::int32_t g_DispInst;
void* g_hPanObj;
std::int32_t g_PanObjCount;
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
    g_PenSize1 = 1; g_PenSize2 = 2; g_PenSize3 = 3; g_PenSize4 = 4; g_PenSize5 = 5;
    g_AirBrushSize1 = 4; g_AirBrushSize2 = 8; g_AirBrushSize3 = 12; g_AirBrushSize4 = 16; g_AirBrushSize5 = 20;
    g_EraserSize1 = 1; g_EraserSize2 = 3; g_EraserSize3 = 6; g_EraserSize4 = 9; g_EraserSize5 = 12;

    g_Action = vikArrow;
    g_ToolBarType = 0;
    g_FillPattern = vikFramePattern;
    g_FontTrans = true;
    g_PenSize = 3;
    g_ForeColor = 0;
    g_BackColor = 16777215;
    g_Square = false;
    g_Circle = false;
    g_Text.clear();
    g_AirBrushSize = 0;
    g_Blur = true;
    g_EraserSize = 0;
    g_FontName.clear();
    g_FontHeight = 0;
    g_FontBold = g_FontItalic = g_FontUnderline = g_FontStrikeOut = false;
    g_ToolBarLeft = 0;
    g_ToolBarTop = 0;
    g_ToolBarCap.clear();
    g_ToolBarSysMenu = false;
    g_EnableEditPopupMenu = true;
    g_ActionSave = 0;
    g_NumButton = 0;
    g_hToolBarCursor = nullptr;
    g_hFont = nullptr;
    g_ToolBarParentWnd = nullptr;
    g_ToolBarChildWnd = nullptr;
    g_LogFont = TVIkLogFont{};
    g_Clip = TVIkEditClip{};
    g_VectPropDlg1_x = g_VectPropDlg1_y = 0;
    g_EditMode = 0;
    g_ToolBarFixed = false;

    loadPopupMenuTexts(QLocale::system().language() == QLocale::Japanese);

    g_DispInst = 0;
    g_hPanObj = nullptr;
    g_PanObjCount = 0;
    ++g_ResetCount;
}

void Terminate() {
    if (g_Clip.hImage) {
        platform::globalFree(g_Clip.hImage);
        g_Clip.hImage = 0;
    }
}

}  // namespace Ikdispinit
