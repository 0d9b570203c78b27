#include "IkAttachment.h"
#include "Ikdispinit.h"

#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

using namespace Ikdispinit;

TEST(DispInit, ResetRestoresEveryToolSetting) {
    g_PenSize3 = 99; g_AirBrushSize5 = 1; g_EraserSize2 = 0;
    g_PenSize = 7; g_BackColor = 5; g_FontTrans = false; g_Blur = false; g_EnableEditPopupMenu = false;
    g_Text = QStringLiteral("x"); g_FontName = QStringLiteral("y"); g_ToolBarCap = QStringLiteral("z");
    g_FontBold = true; g_ToolBarFixed = true; g_EditMode = 3; g_PanObjCount = 4; g_DispInst = 2;
    g_LogFont.Height = 12; g_Clip.Left = 9;
    Initialize();
    const std::int16_t pens[] = {g_PenSize1, g_PenSize2, g_PenSize3, g_PenSize4, g_PenSize5};
    const std::int16_t brushes[] = {g_AirBrushSize1, g_AirBrushSize2, g_AirBrushSize3, g_AirBrushSize4, g_AirBrushSize5};
    const std::int16_t erasers[] = {g_EraserSize1, g_EraserSize2, g_EraserSize3, g_EraserSize4, g_EraserSize5};
    const std::int16_t expectedPens[] = {1, 2, 3, 4, 5}, expectedBrushes[] = {4, 8, 12, 16, 20},
                       expectedErasers[] = {1, 3, 6, 9, 12};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pens[i], expectedPens[i]);
        EXPECT_EQ(brushes[i], expectedBrushes[i]);
        EXPECT_EQ(erasers[i], expectedErasers[i]);
    }
    EXPECT_EQ(g_Action, vikArrow);
    EXPECT_EQ(g_FillPattern, vikFramePattern);
    EXPECT_EQ(g_PenSize, 3);
    EXPECT_EQ(g_ForeColor, 0u);
    EXPECT_EQ(g_BackColor, 16777215u);
    EXPECT_TRUE(g_FontTrans);
    EXPECT_TRUE(g_Blur);
    EXPECT_TRUE(g_EnableEditPopupMenu);
    EXPECT_TRUE(g_Text.isEmpty() && g_FontName.isEmpty() && g_ToolBarCap.isEmpty());
    EXPECT_FALSE(g_FontBold || g_ToolBarFixed);
    EXPECT_EQ(g_EditMode, 0);
    EXPECT_EQ(g_PanObjCount, 0);
    EXPECT_EQ(g_DispInst, 0);
    EXPECT_EQ(g_LogFont.Height, 0);
    EXPECT_EQ(g_Clip.Left, 0);
}

TEST(DispInit, PopupTextsFollowTheLanguage) {
    struct Case {
        const char* text;
        const char* japanese;
        const char* english;
    };
    loadPopupMenuTexts(true);
    const Case japanese[] = {{szPopupEditMenu_All, "全選択(&A)", nullptr},
                             {szPopupEditMenu_Clear, "選択範囲取消し(&L)", nullptr},
                             {szPopupEditMenu_Create, "新規作成(&E)", nullptr},
                             {szPopupEditMenu_Back, "最背面へ移動(&B)", nullptr}};
    for (const Case& c : japanese) EXPECT_STREQ(c.text, c.japanese);
    loadPopupMenuTexts(false);
    EXPECT_STREQ(szPopupEditMenu_All, "Select&All");
    EXPECT_STREQ(szPopupEditMenu_Cut, "Cu&T");
    EXPECT_STREQ(szPopupEditMenu_Front, "Bring to &Front");
    EXPECT_STREQ(szPopupEditMenu_Back, "Send to &Back");
    EXPECT_EQ(stringResource(553), QStringLiteral("削除(&D)"));
    EXPECT_TRUE(stringResource(42).isEmpty());
}

TEST(DispInit, LastDetachReleasesTheEditingClipboardBlock) {
    auto attachment = std::make_unique<IkAttachment>(vikGroupMain);
    const IKHANDLE piece = platform::globalAlloc(64, true);
    g_Clip.hImage = piece;
    attachment.reset();
    EXPECT_FALSE(platform::globalIsValid(piece));
    EXPECT_EQ(g_Clip.hImage, 0u);
}
