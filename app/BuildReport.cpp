#include "app/BuildReport.h"

namespace app {

QString buildCompletionMessage(const BuildOutcome& outcome) {
    const QString listed = outcome.rowsWithoutPage.join(u'\n');
    if (!outcome.anyPageWritten())
        return QStringLiteral("マルチTIFFファイルを作成できませんでした。\nページにできなかったファイル:\n") + listed;
    QString text = QStringLiteral("新しいマルチTIFFファイルが作成されました。");
    if (!outcome.rowsWithoutPage.isEmpty())
        text += QStringLiteral("\nただし、次の %1 件はページにできませんでした:\n").arg(outcome.rowsWithoutPage.size()) +
                listed;
    return text;
}

}  // namespace app
