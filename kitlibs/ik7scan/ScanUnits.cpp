#include "ScanUnits.h"

namespace scan {

namespace {
constexpr double kMillimetresPerInch = 25.4;
}

double unitsPerInch(Unit unit, double dpi) {
    switch (unit) {
        case Unit::Inch: return 1.0;
        case Unit::Centimetre: return 2.54;
        case Unit::Pica: return 6.0;
        case Unit::Point: return 72.0;
        case Unit::Twip: return 1440.0;
        case Unit::Pixel: return dpi;
    }
    return 1.0;
}

double fromMillimetres(double mm, Unit unit, double dpi) {
    return mm / kMillimetresPerInch * unitsPerInch(unit, dpi);
}

double toMillimetres(double value, Unit unit, double dpi) {
    const double perInch = unitsPerInch(unit, dpi);
    return perInch > 0 ? value / perInch * kMillimetresPerInch : 0.0;
}

// Dots per unit length: a resolution given per centimetre is 2.54 times smaller than per
// inch. Pixels have no length of their own, so a pixel unit leaves the number as it is.
double toDotsPerInch(double dotsPerUnit, Unit unit) {
    return unit == Unit::Pixel ? dotsPerUnit : dotsPerUnit * unitsPerInch(unit, 1.0);
}

double fromDotsPerInch(double dpi, Unit unit) {
    return unit == Unit::Pixel ? dpi : dpi / unitsPerInch(unit, 1.0);
}

}  // namespace scan
