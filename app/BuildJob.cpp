#include "app/BuildJob.h"

#include "app/ConvertTables.h"
#include "app/JobProgress.h"
#include "app/PageList.h"
#include "app/PageWriter.h"
#include "app/ProgressTicks.h"
#include "app/ReleaseImage.h"
#include "Ikcommon.h"
#include "Ikdllprocs.h"
#include "Ikeffect.h"
#include "Ikfile.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace app {

// One page on its way to the output: the save code and comment it is written with, and
// either its image or, for a page copied as stored, nothing.
struct BuildJob::Page {
    QString source;
    IKHANDLE image = 0;
    bool copyAsStored = false;
    TiffSaveCode code = TiffSaveCode::Noncompressed;
    QString comment;
    bool usable() const { return image != 0 || copyAsStored; }
};

BuildJob::BuildJob(TVIkCommon& common, TVIkFile& file, TVIkEffect& effect, JobProgress* progress)
    : common_(common), file_(file), effect_(effect), progress_(progress) {}

BuildJob::Page BuildJob::preparePage(const QString& source) {
    const BuildSettings& s = *settings_;
    Page page;
    page.source = source;
    file_.SetImgHandle(0);
    file_.SetFileName(source);
    file_.SetLoadPage(0);
    // Facts the component could not read leave its earlier ones in place: they are not this file's.
    const bool facts = file_.GetImagefileType();
    const int sourceType = facts ? file_.ImageFileType() : 0;
    const int bitCount = facts ? file_.BitCount() : 0;
    page.code = buildSaveCode(s.compression, sourceType);
    page.comment = facts ? file_.Comment() : QString();

    const std::optional<Resolution> dpi = resolutionFor(s.resolution, s.xDpi, s.yDpi);
    std::optional<ColorConversion> conversion = colorConversion(s.colours, s.threshold);
    if (conversion && bitCount == conversion->skipWhenBitCount) conversion.reset();
    const std::optional<int> angle = rotationAngle(s.rotation);
    if (facts && !dpi && !conversion && !angle && copiesAsStored(sourceType, page.code)) {
        page.copyAsStored = true;
        return page;
    }

    file_.LoadFile(vikLoad);
    const IKHANDLE loaded = file_.ImgHandle();
    file_.SetImgHandle(0);
    if (!loaded) return page;
    page.image = loaded;
    common_.SetImgHandle(loaded);
    common_.GetImageType();
    if (common_.ImageKind() != vikRasterImage) {
        releaseImage(common_, std::exchange(page.image, 0));
        return page;
    }
    try {
        if (dpi) {
            common_.SetImgHandle(page.image);
            common_.SetXdpi(dpi->xDpi);
            common_.SetYdpi(dpi->yDpi);
            common_.SetDpi();
        }
        if (conversion) {
            effect_.SetSrcImgHandle(page.image);
            effect_.SetDestImgHandle(0);
            effect_.ConvertColor(static_cast<std::int16_t>(conversion->bits), false, false,
                                 static_cast<std::int16_t>(conversion->threshold));
            const IKHANDLE converted = effect_.DestImgHandle();
            releaseImage(common_, std::exchange(page.image, converted));
        }
        if (angle && page.image) {
            effect_.SetSrcImgHandle(page.image);
            effect_.SetSrcMaskHandle(0);
            effect_.SetDestImgHandle(0);
            effect_.Rotation(*angle, false, false, false, 255, 255, 255, false);
            const IKHANDLE turned = effect_.DestImgHandle();
            releaseImage(common_, std::exchange(page.image, turned));
        }
    } catch (...) {
        releaseImage(common_, page.image);
        throw;
    }
    return page;
}

BuildOutcome BuildJob::run(const QStringList& sources, const QString& output, const BuildSettings& settings) {
    settings_ = &settings;
    BuildOutcome outcome;
    outcome.rowsListed = static_cast<int>(sources.size());
    // Filled in before each hand-over and read by the writer afterwards; never reallocated.
    std::vector<Page> pages(sources.size());

    TVIkFile writerFile(nullptr);
    writerFile.SetTiffAppend(true);
    writerFile.SetTiffSaveOneStrip(true);
    auto saveImage = [&](IKHANDLE image, TiffSaveCode code) {
        writerFile.SetFileName(output);
        writerFile.SetImgHandle(image);
        const bool saved = writerFile.SaveFile(static_cast<TVIkSaveFile>(code));
        writerFile.SetImgHandle(0);
        return saved;
    };
    auto save = [&](int ordinal, IKHANDLE image) {
        const Page& page = pages[static_cast<std::size_t>(ordinal - 1)];
        writerFile.SetComment(page.comment);
        if (!page.copyAsStored) return saveImage(image, page.code);
        writerFile.SetFileName(page.source);
        writerFile.SetLoadPage(0);
        if (writerFile.CopyTiffPage(output, true, true)) return true;
        // A page the copy cannot take is decoded and written in its own compression.
        if (!writerFile.LoadFile(vikLoad)) return false;
        const IKHANDLE loaded = writerFile.ImgHandle();
        const bool saved = saveImage(loaded, page.code);
        if (Ikdllprocs::IkFreeMemory) Ikdllprocs::IkFreeMemory(loaded);
        return saved;
    };
    // Only the page being written waits: the next one is decoded meanwhile, no further.
    PageWriter writer(save, [this](IKHANDLE image) { releaseImage(common_, image); }, 0,
                      [this] { if (progress_) progress_->tick(); });
    const ProgressTicks ticks(progress_, file_, &effect_);

    if (progress_) progress_->begin(output, outcome.rowsListed);
    PageWriter::Results results;
    QList<int> withoutPage;
    try {
        for (int row = 1; row <= outcome.rowsListed; ++row) {
            if (progress_ && progress_->stopRequested()) {
                outcome.stopped = true;
                break;
            }
            const QString& source = sources[row - 1];
            if (progress_) progress_->showPageOf(source, 0);
            pages[static_cast<std::size_t>(row - 1)] = preparePage(source);
            outcome.rows = row;
            const Page& page = pages[static_cast<std::size_t>(row - 1)];
            if (page.usable()) writer.submit(row, page.image);
            else withoutPage << row;
            if (progress_) progress_->pageDone(row);
        }
        results = writer.finish();
    } catch (...) {
        // The pages handed over are still written before the failure goes on.
        writer.finishQuietly();
        if (progress_) progress_->end();
        settings_ = nullptr;
        throw;
    }
    if (progress_) progress_->end();
    settings_ = nullptr;
    withoutPage << results.notWritten;
    std::sort(withoutPage.begin(), withoutPage.end());
    for (int row : withoutPage) outcome.rowsWithoutPage << pageLabel(row) + QStringLiteral(": ") + sources[row - 1];
    return outcome;
}

}  // namespace app
