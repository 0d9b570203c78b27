// Qt's own dialogs speak Japanese, and every box is titled exactly with its own title: no
// application display name is appended to window titles.
#include "app/Windows.h"
#include "platform/desktop/Prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

TEST(StandardDialogs, QtTextsAreJapanese) {
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Close);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Close)->text(), QStringLiteral("閉じる"));
    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    ASSERT_FALSE(menu->actions().isEmpty());
    EXPECT_TRUE(menu->actions().first()->text().startsWith(QStringLiteral("元に戻す"))) << menu->actions().first()->text().toStdString();
    // The file dialog's type column: Qt's catalogue has no Japanese for a folder.
    EXPECT_EQ(QFileIconProvider().type(QFileInfo(QDir::tempPath())), QStringLiteral("フォルダー"));
}

// Runs `answer` on the first modal box once it is up.
void whenModalUp(const std::function<void(QWidget&)>& answer) {
    QTimer::singleShot(0, [answer] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        answer(*box);
    });
}

TEST(StandardDialogs, BoxesCarryTheirOwnTitlesOnly) {
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName())
        << "a display name would be appended to every title";
    QString title, okText;
    whenModalUp([&](QWidget& box) {
        title = box.windowTitle();
        auto& message = static_cast<QMessageBox&>(box);
        okText = message.buttons().isEmpty() ? QString() : message.buttons().first()->text();
        message.accept();
    });
    platform::QtPrompts().message(QStringLiteral("テスト"));
    EXPECT_EQ(title, QStringLiteral("VidiraZorod"));
    EXPECT_EQ(okText, QStringLiteral("OK"));

    whenModalUp([&](QWidget& box) {
        title = box.windowTitle();
        for (QAbstractButton* button : static_cast<QMessageBox&>(box).buttons())
            if (button->text() == QStringLiteral("いいえ(&N)")) button->click();
    });
    EXPECT_FALSE(platform::QtPrompts().confirm(QStringLiteral("よろしいですか？")));
    EXPECT_EQ(title, QStringLiteral("確認"));

    AppWindows windows = AppWindows::create();
    EXPECT_EQ(windows.MainForm1->windowTitle(), QStringLiteral("VidiraZorod"));
    EXPECT_EQ(windows.ProgressForm1->windowTitle(), QStringLiteral("処理中..."));
}

}  // namespace
