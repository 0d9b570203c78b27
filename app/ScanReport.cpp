#include "app/ScanReport.h"

#include <QStringList>

namespace app {

QString noCompressionMessage() { return QStringLiteral("圧縮形式が選択されていません。"); }

QString scanReport(const ScanOutcome& outcome, const QString& sourceName) {
    const bool failed = outcome.deviceFailed();
    if (!failed && outcome.pagesNotWritten.isEmpty()) return {};
    QStringList lines;
    if (failed) {
        const QString device = !outcome.failedDevice.isEmpty() ? outcome.failedDevice
                               : !sourceName.isEmpty()         ? sourceName
                                                               : QStringLiteral("既定のスキャナ");
        const QString reason = outcome.failureText.isEmpty()
                                   ? QStringLiteral("エラーコード %1").arg(outcome.status)
                                   : outcome.failureText;
        lines << QStringLiteral("スキャナ「%1」でエラーが発生したため、スキャンを中止しました。").arg(device)
              << reason;
    }
    lines << QStringLiteral("%1 ページをファイルに保存しました。").arg(outcome.pagesWritten);
    if (!outcome.pagesNotWritten.isEmpty()) {
        QStringList numbers;
        for (int n : outcome.pagesNotWritten) numbers << QString::number(n);
        lines << QStringLiteral("保存できなかったページ (スキャン順): ") + numbers.join(QStringLiteral(", "));
    }
    return lines.join(u'\n');
}

}  // namespace app
