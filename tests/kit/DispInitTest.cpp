#include "IkAttachment.h"
#include "Ikdispinit.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace Ikdispinit;

TEST(DispInit, FirstMainGroupAttachReloadsThePopupTexts) {
    const bool japanese = QLocale::system().language() == QLocale::Japanese;
    const QString selectAll = stringResource(japanese ? 500 : 1500);
    const QString sendToBack = stringResource(japanese ? 557 : 1557);
    std::strcpy(szPopupEditMenu_All, "stale");
    std::strcpy(szPopupEditMenu_Back, "stale");
    auto first = std::make_unique<IkAttachment>(vikGroupMain);
    EXPECT_EQ(QString::fromUtf8(szPopupEditMenu_All), selectAll);
    EXPECT_EQ(QString::fromUtf8(szPopupEditMenu_Back), sendToBack);

    // Later attaches of the main group, and a component that asks for no reset, keep the texts.
    std::strcpy(szPopupEditMenu_All, "stale");
    IkAttachment second(vikGroupMain);
    IkAttachment slide(vikGroupSlide, IkAttachment::Reset::None);
    EXPECT_STREQ(szPopupEditMenu_All, "stale");
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
