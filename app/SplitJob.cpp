#include "app/SplitJob.h"

#include "app/ConvertTables.h"
#include "app/JobProgress.h"
#include "app/ProgressTicks.h"
#include "app/ReleaseImage.h"
#include "app/SplitNaming.h"
#include "Ikcommon.h"
#include "Ikfile.h"

namespace app {

QString splitCompletionMessage(const SplitOutcome& outcome) {
    QString text = QString::number(outcome.written) + QStringLiteral(" 枚の新しいファイルが作成されました。");
    if (outcome.stopped) text = QStringLiteral("処理を中止しました。\n") + text;
    if (!outcome.notWritten.isEmpty())
        text += QStringLiteral("\n書き込めなかったページ: ") + outcome.notWritten.join(QStringLiteral(", "));
    return text;
}

SplitJob::SplitJob(TVIkCommon& common, TVIkFile& file, JobProgress* progress)
    : common_(common), file_(file), progress_(progress) {}

// Page `page` (1-based) of `source` into `target`, as stored when it can be; the kit refuses
// pages it cannot copy faithfully, and those are decoded and written in their compression.
bool SplitJob::writePage(const QString& source, int page, const QString& target) {
    file_.SetImgHandle(0);
    file_.SetFileName(source);
    file_.SetLoadPage(static_cast<std::int16_t>(page - 1));
    if (file_.CopyTiffPage(target, true, true)) return true;
    file_.LoadFile(vikLoad);
    const IKHANDLE image = file_.ImgHandle();
    if (!image) return false;
    file_.GetImagefileType();
    const auto code = saveCodeKeepingSourceType(file_.ImageFileType());
    file_.SetImgHandle(image);
    file_.SetFileName(target);
    bool saved = false;
    try {
        saved = file_.SaveFile(static_cast<TVIkSaveFile>(code));
    } catch (...) {
        file_.SetImgHandle(0);
        releaseImage(common_, image);
        throw;
    }
    file_.SetImgHandle(0);
    releaseImage(common_, image);
    return saved;
}

SplitOutcome SplitJob::run(const QString& source, int pageCount, const QList<int>& pages,
                           const SplitSettings& settings) {
    SplitOutcome outcome;
    const ProgressTicks ticks(progress_, file_);
    if (progress_) progress_->begin(source, pageCount);
    int exported = 0;
    try {
        for (int n : pages) {
            if (progress_ && progress_->stopRequested()) {
                outcome.stopped = true;
                break;
            }
            if (progress_) progress_->showPageOf(source, n - 1);
            ++exported;
            const QString number = exportNumberText(exportFileNumber(settings.scheme, n, exported), settings.digits);
            if (writePage(source, n, splitTargetPath(settings.folder, source, number))) ++outcome.written;
            else outcome.notWritten << QStringLiteral("page ") + QString::number(n);
            if (progress_) progress_->pageDone(n);
        }
    } catch (...) {
        if (progress_) progress_->end();
        throw;
    }
    if (progress_) progress_->end();
    return outcome;
}

}  // namespace app
