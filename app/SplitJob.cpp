#include "app/SplitJob.h"

#include "app/ConvertTables.h"
#include "app/JobProgress.h"
#include "app/PageWriter.h"
#include "app/ProgressTicks.h"
#include "app/SplitNaming.h"
#include "Ikdllprocs.h"
#include "Ikfile.h"

#include <algorithm>
#include <vector>

namespace app {

QString splitCompletionMessage(const SplitOutcome& outcome) {
    QString text = QString::number(outcome.written) + QStringLiteral(" 枚の新しいファイルが作成されました。");
    if (outcome.stopped) text = QStringLiteral("処理を中止しました。\n") + text;
    if (!outcome.notWritten.isEmpty())
        text += QStringLiteral("\n書き込めなかったページ: ") + outcome.notWritten.join(QStringLiteral(", "));
    return text;
}

SplitJob::SplitJob(TVIkFile& file, JobProgress* progress) : file_(file), progress_(progress) {}

namespace {

// Frees an image from any thread; the common component belongs to the window's thread.
void freeImage(IKHANDLE image) {
    if (image && Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(image);
}

// A page the copy refuses is saved by either component the same way.
void takeSaveSettings(TVIkFile& to, const TVIkFile& from) {
    to.SetTiffAppend(from.TiffAppend());
    to.SetTiffSaveOneStrip(from.TiffSaveOneStrip());
    to.SetTiffColorSpace(from.TiffColorSpace());
    to.SetJpegQuality(from.JpegQuality());
}

}  // namespace

// Page `page` (1-based) of `source` into `target` through `file`, as stored when it can be;
// the kit refuses pages it cannot copy faithfully, and those are decoded and written in
// their own compression.
bool SplitJob::writePage(TVIkFile& file, const QString& source, int page, const QString& target) {
    file.SetImgHandle(0);
    file.SetFileName(source);
    file.SetLoadPage(static_cast<std::int16_t>(page - 1));
    if (file.CopyTiffPage(target, true, true)) return true;
    file.LoadFile(vikLoad);
    const IKHANDLE image = file.ImgHandle();
    if (!image) return false;
    file.GetImagefileType();
    const auto code = saveCodeKeepingSourceType(file.ImageFileType());
    file.SetImgHandle(image);
    file.SetFileName(target);
    bool saved = false;
    try {
        saved = file.SaveFile(static_cast<TVIkSaveFile>(code));
    } catch (...) {
        file.SetImgHandle(0);
        freeImage(image);
        throw;
    }
    file.SetImgHandle(0);
    freeImage(image);
    return saved;
}

SplitOutcome SplitJob::run(const QString& source, int pageCount, const QList<int>& pages,
                           const SplitSettings& settings) {
    SplitOutcome outcome;
    // Most of a page's time is the system creating and filling its file, so every other
    // page is written by a second file component on a thread of its own meanwhile. Both
    // keep the source open for the whole run.
    TVIkFile writerFile(nullptr);
    takeSaveSettings(writerFile, file_);
    writerFile.SetFileName(source);
    writerFile.KeepTiffSourceOpen();
    file_.SetFileName(source);
    file_.KeepTiffSourceOpen();
    struct KeptSourceCloser {
        TVIkFile& file;
        ~KeptSourceCloser() { file.CloseTiffSource(); }
    } closer{file_};
    // Filled in before each hand-over and read by the writer afterwards; never reallocated.
    std::vector<QString> targets(static_cast<std::size_t>(pages.size()));
    auto save = [&](int ordinal, IKHANDLE) {
        const auto i = static_cast<std::size_t>(ordinal - 1);
        return writePage(writerFile, source, pages[ordinal - 1], targets[i]);
    };
    PageWriter writer(save, [](IKHANDLE) {}, 0, [this] { if (progress_) progress_->tick(); });
    const ProgressTicks ticks(progress_, file_);
    if (progress_) progress_->begin(source, pageCount);
    QList<int> notWritten;
    PageWriter::Results results;
    QString writerTarget;
    try {
        for (int i = 0; i < pages.size(); ++i) {
            if (progress_ && progress_->stopRequested()) {
                outcome.stopped = true;
                break;
            }
            const int n = pages[i];
            if (progress_) progress_->showPageOf(source, n - 1);
            const QString number = exportNumberText(exportFileNumber(settings.scheme, n, i + 1), settings.digits);
            QString& target = targets[static_cast<std::size_t>(i)];
            target = splitTargetPath(settings.folder, source, number);
            const bool toWriter = i % 2 == 1;
            // Pages bound for one file are appended to it in page order, one at a time.
            if (toWriter || target == writerTarget) writer.waitUntilIdle();
            if (toWriter) {
                writer.submit(i + 1, 0);
                writerTarget = target;
            } else if (writePage(file_, source, n, target)) {
                ++outcome.written;
            } else {
                notWritten << i + 1;
            }
            if (progress_) progress_->pageDone(n);
        }
        results = writer.finish();
    } catch (...) {
        // The page handed over is still written before the failure goes on.
        writer.finishQuietly();
        if (progress_) progress_->end();
        throw;
    }
    if (progress_) progress_->end();
    outcome.written += results.written;
    notWritten << results.notWritten;
    std::sort(notWritten.begin(), notWritten.end());
    for (int ordinal : notWritten) outcome.notWritten << QStringLiteral("page ") + QString::number(pages[ordinal - 1]);
    return outcome;
}

}  // namespace app
