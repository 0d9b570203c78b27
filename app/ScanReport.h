#pragma once
// What the program says after a scan: nothing when every page the device delivered was
// written; otherwise how many pages the file received, which scanned pages it did not, and
// the device failure that ended the scan, naming the device.

#include "app/ScanJob.h"

#include <QString>

namespace app {

// Said before a scan when the settings dialog has no compression selected.
QString noCompressionMessage();

// Empty when there is nothing to report.
QString scanReport(const ScanOutcome& outcome, const QString& sourceName);

}  // namespace app
