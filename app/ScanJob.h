#pragma once
// One scan into a multi-page TIFF: the device's pages arrive one by one through the scanner
// component's after-scan event; each is copied, turned as chosen, shown, and appended to the
// output file by a writer thread in scan order while the device goes on. The job works on
// the chosen settings, never on widgets.

#include "app/ConvertTables.h"
#include "app/PageWriter.h"
#include "Ikscan.h"

#include <QList>
#include <QString>

#include <exception>
#include <functional>
#include <optional>

class TVIkCommon;
class TVIkEffect;
class TVIkFile;

namespace app {

struct ScanSettings {
    // The source by product name; empty = the default source.
    QString sourceName;
    TVIkScanTransfer transfer = vikScanNative;
    TVIkScanUIMode ui = vikScanUI;
    // Without a code no page is written.
    std::optional<TiffSaveCode> saveCode;
    // Clockwise turn in the kit's hundredths of a degree; none keeps the page as scanned.
    std::optional<int> rotation;
    QString output;
};

struct ScanOutcome {
    int pagesScanned = 0;
    int pagesWritten = 0;
    // Pages the device delivered that are not in the file, by scan order (1-based).
    QList<int> pagesNotWritten;
    // The scanner component's status after the scan, and the device's failure text.
    std::uint16_t status = 0;
    QString failureText;
    // The source that failed, as the library names it.
    QString failedDevice;
    bool deviceFailed() const;
};

// The source name as listed, without leading and trailing blanks and control characters.
QString sourceNameFromListEntry(const QString& entry);

class ScanJob {
public:
    // `showPage` puts the current page image (0 for none) into the progress display.
    // `lastPage` is the page image the display keeps after a scan; the job releases it when
    // the next page arrives and leaves its own last page there.
    ScanJob(TVIkScan& scanner, TVIkCommon& common, TVIkEffect& effect, TVIkFile& file, IKHANDLE& lastPage,
            std::function<void(IKHANDLE)> showPage);

    ScanOutcome run(const ScanSettings& settings);

    // The after-scan event: `dib` stays the scanner's, the job works on a copy.
    void PageScanned(IKHANDLE dib);

private:
    // Pages waiting for the writer take at most this much memory (about 30 colour pages
    // of 300 dpi); past it the after-scan event waits for the writer.
    static constexpr std::uint64_t kMostWaitingPageBytes = std::uint64_t{512} << 20;

    void writePage(IKHANDLE dib);
    bool appendPage(IKHANDLE page);
    void release(IKHANDLE image);
    void setPage(IKHANDLE image);

    TVIkScan& scanner_;
    TVIkCommon& common_;
    TVIkEffect& effect_;
    TVIkFile& file_;
    IKHANDLE& page_;
    std::function<void(IKHANDLE)> showPage_;
    const ScanSettings* settings_ = nullptr;
    PageWriter* writer_ = nullptr;
    ScanOutcome outcome_;
    std::exception_ptr failure_;
};

}  // namespace app
