#pragma once
// The texts of the display's editing pop-up menu, loaded for the user's language when
// the first component of the main group attaches.

#include <QString>

#include <cstdint>

namespace Ikdispinit {

inline constexpr int kPopupTextBytes = 64;

extern char szPopupEditMenu_All[kPopupTextBytes], szPopupEditMenu_Cut[kPopupTextBytes],
    szPopupEditMenu_Copy[kPopupTextBytes], szPopupEditMenu_Paste[kPopupTextBytes],
    szPopupEditMenu_Rotate[kPopupTextBytes], szPopupEditMenu_Clear[kPopupTextBytes],
    szPopupEditMenu_Undo[kPopupTextBytes], szPopupEditMenu_Create[kPopupTextBytes],
    szPopupEditMenu_Delete[kPopupTextBytes], szPopupEditMenu_Prop[kPopupTextBytes],
    szPopupEditMenu_Lock[kPopupTextBytes], szPopupEditMenu_Front[kPopupTextBytes],
    szPopupEditMenu_Back[kPopupTextBytes];

// Number of resets so far (each Initialize counts one).
extern std::int32_t g_ResetCount;

// The program's string resource with the given id, empty when there is none.
QString stringResource(int id);

// Loads the pop-up texts for the user's locale.
void Initialize();

// Loads the pop-up texts: the Japanese set or the English one.
void loadPopupMenuTexts(bool japanese);

}  // namespace Ikdispinit
