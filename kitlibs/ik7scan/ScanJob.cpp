#include "ScanJob.h"

#include "DeviceSettings.h"
#include "ScanUnits.h"

namespace scan {

std::unique_ptr<Acquisition> startAcquisition(const OpenSource& source, const IKSCANRECORD& record,
                                              const AcquisitionCallbacks& callbacks, AcquisitionObserver* observer) {
    const SaneOptions options(source.handle);
    AcquisitionSettings settings;
    settings.memoryTransfer = record.transferMode == 2;
    settings.transferCount = record.transferCount > 0 ? record.transferCount : -1;
    settings.feeder = feederSelected(options);
    settings.xDpi = currentDpi(options);
    settings.yDpi = currentYDpi(options);
    const Unit unit = isUnit(record.unitMode) ? static_cast<Unit>(record.unitMode) : Unit::Inch;
    // The before-scan record gives the resolution per unit; pixels have no length.
    settings.unitsPerInch = unit == Unit::Pixel ? 1.0 : unitsPerInch(unit, 1.0);
    settings.deviceName = source.device.productName;
    auto acquisition = std::make_unique<Acquisition>(source.handle, settings, callbacks);
    acquisition->start(observer);
    return acquisition;
}

}  // namespace scan
