#pragma once
// Acquisitions on one open source with the settings of a scan record.

#include "Acquisition.h"
#include "ScanSession.h"

#include <memory>

namespace scan {

// Starts an acquisition with the device's current settings and the record's transfer
// mode and count; the result runs until its end or stop().
std::unique_ptr<Acquisition> startAcquisition(const OpenSource& source, const IKSCANRECORD& record,
                                              const AcquisitionCallbacks& callbacks,
                                              AcquisitionObserver* observer = nullptr);

}  // namespace scan
