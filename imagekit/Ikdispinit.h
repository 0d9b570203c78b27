#pragma once
// Editing settings shared by all display controls, reset when the first component of
// the main group attaches, and the texts of the display's editing pop-up menu.

#include "ik7kit.h"

#include <QString>

#include <cstdint>

// Editing tools of the display control.
enum TVIkAction : std::uint8_t { vikArrow = 0 };

// Fill patterns of the drawing tools.
enum TVIkFillPattern : std::uint8_t { vikFramePattern = 0 };

// Font description of the text tool.
struct TVIkLogFont {
    std::int32_t Height, Width, Escapement, Orientation, Weight;
    std::uint8_t Italic, Underline, StrikeOut, CharSet;
    char FaceName[32];
};

// The display's editing clipboard: a cut or copied piece and where it came from.
struct TVIkEditClip {
    IKHANDLE hImage;  // global memory block of the piece, 0 when empty
    std::int32_t Left, Top, Width, Height;
};

namespace Ikdispinit {

inline constexpr int kPopupTextBytes = 64;

extern std::int16_t g_PenSize1, g_PenSize2, g_PenSize3, g_PenSize4, g_PenSize5;
extern std::int16_t g_AirBrushSize1, g_AirBrushSize2, g_AirBrushSize3, g_AirBrushSize4, g_AirBrushSize5;
extern std::int16_t g_EraserSize1, g_EraserSize2, g_EraserSize3, g_EraserSize4, g_EraserSize5;

extern TVIkAction g_Action;
extern std::int32_t g_ToolBarType;
extern TVIkFillPattern g_FillPattern;
extern bool g_FontTrans;
extern std::int16_t g_PenSize;
extern std::uint32_t g_ForeColor, g_BackColor;
extern bool g_Square, g_Circle;
extern QString g_Text;
extern std::int16_t g_AirBrushSize;
extern bool g_Blur;
extern std::int16_t g_EraserSize;
extern QString g_FontName;
extern std::int32_t g_FontHeight;
extern bool g_FontBold, g_FontItalic, g_FontUnderline, g_FontStrikeOut;
extern std::int32_t g_ToolBarLeft, g_ToolBarTop;
extern QString g_ToolBarCap;
extern bool g_ToolBarSysMenu;
extern bool g_EnableEditPopupMenu;
extern std::int32_t g_ActionSave;
extern std::int32_t g_NumButton;
extern void* g_hToolBarCursor;
extern void* g_hFont;
extern void* g_ToolBarParentWnd;
extern void* g_ToolBarChildWnd;
extern TVIkLogFont g_LogFont;
extern TVIkEditClip g_Clip;
extern std::int32_t g_VectPropDlg1_x, g_VectPropDlg1_y;
extern std::int32_t g_EditMode;
extern bool g_ToolBarFixed;

extern char szPopupEditMenu_All[kPopupTextBytes], szPopupEditMenu_Cut[kPopupTextBytes],
    szPopupEditMenu_Copy[kPopupTextBytes], szPopupEditMenu_Paste[kPopupTextBytes],
    szPopupEditMenu_Rotate[kPopupTextBytes], szPopupEditMenu_Clear[kPopupTextBytes],
    szPopupEditMenu_Undo[kPopupTextBytes], szPopupEditMenu_Create[kPopupTextBytes],
    szPopupEditMenu_Delete[kPopupTextBytes], szPopupEditMenu_Prop[kPopupTextBytes],
    szPopupEditMenu_Lock[kPopupTextBytes], szPopupEditMenu_Front[kPopupTextBytes],
    szPopupEditMenu_Back[kPopupTextBytes];

// The pan (navigation) window list.
extern std::int32_t g_DispInst;
extern void* g_hPanObj;
extern std::int32_t g_PanObjCount;

// Number of resets so far (each Initialize counts one).
extern std::int32_t g_ResetCount;

// The program's string resource with the given id, empty when there is none.
QString stringResource(int id);

// Resets every setting and loads the pop-up texts for the user's locale.
void Initialize();

// Loads the pop-up texts: the Japanese set or the English one.
void loadPopupMenuTexts(bool japanese);

// Releases the block held by the editing clipboard record, when it holds one.
void Terminate();

}  // namespace Ikdispinit
