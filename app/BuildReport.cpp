#include "app/BuildReport.h"

namespace app {

QString buildCompletionMessage(const BuildOutcome& outcome) {
    const QString listed = outcome.rowsWithoutPage.join(u'\n');
    if (outcome.stopped) {
        QString text = QStringLiteral("処理を中止しました。\n%1 ページを書き込みました（残りの %2 件は処理していません）。")
                           .arg(outcome.pagesWritten())
                           .arg(std::max(0, outcome.rowsListed - outcome.rows));
        if (!outcome.rowsWithoutPage.isEmpty()) text += QStringLiteral("\nページにできなかったファイル:\n") + listed;
        return text;
    }
    if (!outcome.anyPageWritten())
        return QStringLiteral("マルチTIFFファイルを作成できませんでした。\nページにできなかったファイル:\n") + listed;
    QString text = QStringLiteral("新しいマルチTIFFファイルが作成されました。");
    if (!outcome.rowsWithoutPage.isEmpty())
        text += QStringLiteral("\nただし、次の %1 件はページにできませんでした:\n").arg(outcome.rowsWithoutPage.size()) +
                listed;
    return text;
}

}  // namespace app
