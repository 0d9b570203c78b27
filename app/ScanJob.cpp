#include "app/ScanJob.h"

#include "app/ReleaseImage.h"

#include "Ikcommon.h"
#include "Ikeffect.h"
#include "Ikfile.h"

#include <algorithm>

namespace app {

bool ScanOutcome::deviceFailed() const { return status != IK_OK && status != IK_ERR_CANCELLED; }

QString sourceNameFromListEntry(const QString& entry) {
    qsizetype first = 0, end = entry.size();
    while (first < end && entry[first].unicode() <= u' ') ++first;
    while (end > first && entry[end - 1].unicode() <= u' ') --end;
    return entry.mid(first, end - first);
}

ScanJob::ScanJob(TVIkScan& scanner, TVIkCommon& common, TVIkEffect& effect, TVIkFile& file, IKHANDLE& lastPage,
                 std::function<void(IKHANDLE)> showPage)
    : scanner_(scanner), common_(common), effect_(effect), file_(file), page_(lastPage),
      showPage_(std::move(showPage)) {}

ScanOutcome ScanJob::run(const ScanSettings& settings) {
    outcome_ = ScanOutcome{};
    settings_ = &settings;
    scanner_.SourceName = settings.sourceName;
    scanner_.SetTransferMode(settings.transfer);
    scanner_.SetUiMode(settings.ui);
    failure_ = nullptr;
    PageWriter writer([this](int, IKHANDLE page) { return appendPage(page); }, [this](IKHANDLE page) { release(page); },
                      kMostWaitingPageBytes);
    writer_ = &writer;
    scanner_.ScanExec();
    // Pages scanned before a stop or a device failure are still appended.
    PageWriter::Results written;
    try {
        written = writer.finish();
    } catch (...) {
        if (!failure_) failure_ = std::current_exception();
    }
    writer_ = nullptr;
    settings_ = nullptr;
    outcome_.pagesWritten = written.written;
    outcome_.pagesNotWritten.append(written.notWritten);
    std::sort(outcome_.pagesNotWritten.begin(), outcome_.pagesNotWritten.end());
    // An exception never unwinds through the library: the page handler stopped the scan,
    // and it goes on from here.
    if (failure_) std::rethrow_exception(failure_);
    outcome_.status = scanner_.ErrorCode();
    if (outcome_.deviceFailed()) outcome_.failureText = scanner_.LastErrorText(&outcome_.failedDevice);
    return outcome_;
}

void ScanJob::release(IKHANDLE image) { releaseImage(common_, image); }

// The display lets go of the old page before it is released.
void ScanJob::setPage(IKHANDLE image) {
    if (showPage_) showPage_(image);
    if (page_ != image) release(page_);
    page_ = image;
}

void ScanJob::PageScanned(IKHANDLE dib) {
    if (!settings_ || failure_) return;
    try {
        writePage(dib);
    } catch (...) {
        failure_ = std::current_exception();
        scanner_.Cancel = true;
    }
}

void ScanJob::writePage(IKHANDLE dib) {
    const int ordinal = ++outcome_.pagesScanned;
    setPage(0);
    common_.SetImgHandle(dib);
    common_.GetImageType();
    setPage(common_.CopyImage());

    if (settings_->rotation && page_) {
        effect_.SetSrcImgHandle(page_);
        effect_.SetSrcMaskHandle(0);
        effect_.SetDestImgHandle(0);
        effect_.Rotation(*settings_->rotation, false, false, false, 255, 255, 255, false);
        setPage(effect_.DestImgHandle());
    }

    // The display keeps page_ until the next page; the writer gets a copy of its own.
    IKHANDLE copy = 0;
    if (page_ && settings_->saveCode) {
        common_.SetImgHandle(page_);
        copy = common_.CopyImage();
    }
    if (copy) writer_->submit(ordinal, copy);
    else outcome_.pagesNotWritten.append(ordinal);
}

// Runs on the writer's thread; the file component is the writer's alone while a scan runs.
bool ScanJob::appendPage(IKHANDLE page) {
    file_.SetImgHandle(page);
    file_.SetFileName(settings_->output);
    const bool written = file_.SaveFile(static_cast<TVIkSaveFile>(*settings_->saveCode));
    file_.SetImgHandle(0);
    return written;
}

}  // namespace app
