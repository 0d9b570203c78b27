// The build command of the build tab: the settings dialog, the output file, the job, the
// completion message.
#include "app/BuildJob.h"
#include "app/BuildTab.h"
#include "app/Convertwindow1.h"
#include "app/ProgressFeedback.h"
#include "app/Progresswindow1.h"
#include "platform/desktop/Prompts.h"
#include "platform/desktop/Shell.h"
#include "widgets/Mccbox.h"
#include "widgets/lib/SpinEdit.h"

#include <QFileInfo>

namespace {

app::BuildSettings settingsOf(const TConvertForm1& form) {
    app::BuildSettings s;
    s.compression = form.C1_01->ItemIndex();
    s.colours = form.C1_02->ItemIndex();
    s.threshold = form.C1_03->Value();
    s.resolution = form.C1_04->ItemIndex();
    s.xDpi = form.C1_05->Value();
    s.yDpi = form.C1_06->Value();
    s.rotation = form.C1_07->ItemIndex();
    return s;
}

}  // namespace

void TBuildTab::SpeedButton1_2Click() {
    TConvertForm1* form = dialogs_.ConvertForm1;
    if (!form || !platform::prompts().runDialog(*form)) return;
    const QString output = platform::prompts().saveFile(
        QStringLiteral("マルチTIFFの保存(既存のファイルを選択するとページ追加)"),
        QStringLiteral("TIFFﾌｧｲﾙ (*.tif;*.tiff)|*.tif;*.tiff"), QStringLiteral("tif"), SaveDialog1FileName);
    if (output.isEmpty()) return;
    SaveDialog1FileName = output;
    if (QFileInfo::exists(output) &&
        !platform::prompts().confirm(output + QStringLiteral(" は既に存在します。\nページを追加しますか？")))
        return;

    app::ProgressFeedback progress(dialogs_.ProgressForm1);
    app::BuildJob job(*kit_.IkCommon1, *kit_.IkFile1, *kit_.IkEffect1, &progress);
    app::BuildOutcome outcome;
    try {
        outcome = job.run(pages_.paths(), output, settingsOf(*form));
    } catch (...) {
        platform::beep();
        platform::prompts().message(QStringLiteral("非対応フォーマットが含まれていました。処理を中止します。"));
        return;
    }
    platform::beep();
    platform::prompts().message(app::buildCompletionMessage(outcome));
    // The list is offered for clearing only when the whole list went into the file.
    if (outcome.anyPageWritten() && !outcome.stopped) SpeedButton1_5Click();
}
