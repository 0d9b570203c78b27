#include "DeviceSettings.h"

#include "ScanUnits.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace scan {

namespace {

const std::vector<std::string> kLineArtModes = {SANE_VALUE_SCAN_MODE_LINEART, "Binary", "Black & White", "Lineart"};
const std::vector<std::string> kGreyModes = {SANE_VALUE_SCAN_MODE_GRAY, "Grey", "Gray"};
const std::vector<std::string> kColourModes = {SANE_VALUE_SCAN_MODE_COLOR, "Colour", "Color"};

std::vector<int> depthValues(const SaneOptions& options) {
    std::vector<int> depths;
    if (const auto c = options.numberConstraint(SANE_NAME_BIT_DEPTH)) {
        if (!c->isRange()) {
            for (double v : c->values) depths.push_back(static_cast<int>(v));
        } else {
            for (int d : {1, 8, 16})
                if (d >= c->minimum && d <= c->maximum) depths.push_back(d);
        }
    }
    return depths;
}

bool hasDepth(const SaneOptions& options, int depth) {
    const auto d = depthValues(options);
    return std::find(d.begin(), d.end(), depth) != d.end();
}

bool modeIs(const std::string& mode, const std::vector<std::string>& names) {
    return pickChoice({mode}, names).has_value();
}

double geometryMm(const SaneOptions& options, const char* name, double value) {
    if (options.unit(name) == SANE_UNIT_PIXEL) {
        const double dpi = currentDpi(options);
        return dpi > 0 ? value / dpi * 25.4 : value;
    }
    return value;
}

double mmToGeometry(const SaneOptions& options, const char* name, double mm) {
    if (options.unit(name) == SANE_UNIT_PIXEL) {
        const double dpi = currentDpi(options);
        return dpi > 0 ? mm / 25.4 * dpi : mm;
    }
    return mm;
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::vector<int> offeredPixelTypes(const SaneOptions& options) {
    const std::vector<std::string> modes = options.textChoices(SANE_NAME_SCAN_MODE);
    std::vector<int> types;
    const bool grey = pickChoice(modes, kGreyModes).has_value();
    if (pickChoice(modes, {kLineArtModes[0], kLineArtModes[1], kLineArtModes[2]}) || (grey && hasDepth(options, 1)))
        types.push_back(kLineArt);
    if (grey) types.push_back(kGrey);
    if (pickChoice(modes, kColourModes)) types.push_back(kColour);
    return types;
}

std::vector<int> offeredBitDepths(const SaneOptions& options, int pixelType) {
    const auto offered = offeredPixelTypes(options);
    if (std::find(offered.begin(), offered.end(), pixelType) == offered.end()) return {};
    if (pixelType == kLineArt) return {1};
    std::vector<int> result;
    const int samples = pixelType == kColour ? 3 : 1;
    for (int d : depthValues(options))
        if (d == 8 || d == 16) result.push_back(d * samples);
    if (result.empty()) result.push_back(8 * samples);
    return result;
}

int currentPixelType(const SaneOptions& options) {
    const std::string mode = options.text(SANE_NAME_SCAN_MODE).value_or("");
    if (modeIs(mode, kColourModes)) return kColour;
    if (modeIs(mode, {kLineArtModes[0], kLineArtModes[1], kLineArtModes[2]})) return kLineArt;
    const auto depth = options.number(SANE_NAME_BIT_DEPTH);
    if (depth && *depth == 1) return kLineArt;
    return mode.empty() ? kGrey : (modeIs(mode, kGreyModes) ? kGrey : kColour);
}

int currentBitsPerPixel(const SaneOptions& options) {
    const int type = currentPixelType(options);
    if (type == kLineArt) return 1;
    return type == kColour ? 24 : 8;
}

std::uint16_t setPixelType(SaneOptions& options, int pixelType, int bitDepth) {
    if (pixelType == kAutomatic) return IK_OK;
    const std::vector<std::string> modes = options.textChoices(SANE_NAME_SCAN_MODE);
    const auto setDepth = [&](int depth) {
        if (options.settable(SANE_NAME_BIT_DEPTH) && hasDepth(options, depth))
            options.setNumber(SANE_NAME_BIT_DEPTH, depth);
    };
    switch (pixelType) {
        case kLineArt:
            if (const auto mode = pickChoice(modes, {kLineArtModes[0], kLineArtModes[1], kLineArtModes[2]})) {
                if (!options.setText(SANE_NAME_SCAN_MODE, *mode)) return IK_ERR_SCAN_UNSUPPORTED;
                setDepth(1);
                return IK_OK;
            }
            if (const auto mode = pickChoice(modes, kGreyModes); mode && hasDepth(options, 1)) {
                if (!options.setText(SANE_NAME_SCAN_MODE, *mode)) return IK_ERR_SCAN_UNSUPPORTED;
                return options.setNumber(SANE_NAME_BIT_DEPTH, 1) ? std::uint16_t{IK_OK} : std::uint16_t{IK_ERR_SCAN_UNSUPPORTED};
            }
            return IK_ERR_SCAN_UNSUPPORTED;
        case kGrey:
        case kColour: {
            const auto mode = pickChoice(modes, pixelType == kGrey ? kGreyModes : kColourModes);
            if (!mode) {
                // A device without a mode option scans the one way it can.
                return modes.empty() && currentPixelType(options) == pixelType ? std::uint16_t{IK_OK} : std::uint16_t{IK_ERR_SCAN_UNSUPPORTED};
            }
            if (!options.setText(SANE_NAME_SCAN_MODE, *mode)) return IK_ERR_SCAN_UNSUPPORTED;
            const int perSample = pixelType == kColour ? bitDepth / 3 : bitDepth;
            setDepth(perSample == 16 ? 16 : 8);
            return IK_OK;
        }
        default: return IK_ERR_SCAN_UNSUPPORTED;
    }
}

double currentDpi(const SaneOptions& options) {
    if (const auto x = options.number(SANE_NAME_SCAN_X_RESOLUTION)) return *x;
    return options.number(SANE_NAME_SCAN_RESOLUTION).value_or(0.0);
}

double currentYDpi(const SaneOptions& options) {
    if (const auto y = options.number(SANE_NAME_SCAN_Y_RESOLUTION)) return *y;
    return currentDpi(options);
}

void setDpi(SaneOptions& options, double xDpi, double yDpi) {
    if (options.settable(SANE_NAME_SCAN_RESOLUTION)) options.setNumber(SANE_NAME_SCAN_RESOLUTION, xDpi);
    if (options.settable(SANE_NAME_SCAN_X_RESOLUTION)) options.setNumber(SANE_NAME_SCAN_X_RESOLUTION, xDpi);
    if (options.settable(SANE_NAME_SCAN_Y_RESOLUTION)) options.setNumber(SANE_NAME_SCAN_Y_RESOLUTION, yDpi);
}

bool currentArea(const SaneOptions& options, AreaMm& area) {
    const auto l = options.number(SANE_NAME_SCAN_TL_X), t = options.number(SANE_NAME_SCAN_TL_Y);
    const auto r = options.number(SANE_NAME_SCAN_BR_X), b = options.number(SANE_NAME_SCAN_BR_Y);
    if (!l || !t || !r || !b) return false;
    area = AreaMm{geometryMm(options, SANE_NAME_SCAN_TL_X, *l), geometryMm(options, SANE_NAME_SCAN_TL_Y, *t),
                  geometryMm(options, SANE_NAME_SCAN_BR_X, *r), geometryMm(options, SANE_NAME_SCAN_BR_Y, *b)};
    return true;
}

void setArea(SaneOptions& options, const AreaMm& area) {
    // Top-left first at 0 so that a smaller bottom-right is never refused on the way.
    const std::pair<const char*, double> steps[] = {
        {SANE_NAME_SCAN_TL_X, 0.0},          {SANE_NAME_SCAN_TL_Y, 0.0},
        {SANE_NAME_SCAN_BR_X, area.right},   {SANE_NAME_SCAN_BR_Y, area.bottom},
        {SANE_NAME_SCAN_TL_X, area.left},    {SANE_NAME_SCAN_TL_Y, area.top},
    };
    for (const auto& [name, mm] : steps)
        if (options.settable(name)) options.setNumber(name, mmToGeometry(options, name, mm));
}

bool physicalSize(const SaneOptions& options, double& width, double& height) {
    const auto x = options.numberConstraint(SANE_NAME_SCAN_BR_X), y = options.numberConstraint(SANE_NAME_SCAN_BR_Y);
    const auto x0 = options.numberConstraint(SANE_NAME_SCAN_TL_X), y0 = options.numberConstraint(SANE_NAME_SCAN_TL_Y);
    if (!x || !y) return false;
    width = geometryMm(options, SANE_NAME_SCAN_BR_X, x->maximum - (x0 ? x0->minimum : 0.0));
    height = geometryMm(options, SANE_NAME_SCAN_BR_Y, y->maximum - (y0 ? y0->minimum : 0.0));
    return true;
}

// The smallest area: one step of the geometry options (or the least bottom-right the
// device allows, when that is larger).
bool minimumSize(const SaneOptions& options, double& width, double& height) {
    const auto x = options.numberConstraint(SANE_NAME_SCAN_BR_X), y = options.numberConstraint(SANE_NAME_SCAN_BR_Y);
    const auto x0 = options.numberConstraint(SANE_NAME_SCAN_TL_X), y0 = options.numberConstraint(SANE_NAME_SCAN_TL_Y);
    if (!x || !y) return false;
    const auto least = [](const NumberConstraint& c, const std::optional<NumberConstraint>& origin) {
        return std::max(c.step > 0 ? c.step : 1.0, c.minimum - (origin ? origin->minimum : 0.0));
    };
    width = geometryMm(options, SANE_NAME_SCAN_BR_X, least(*x, x0));
    height = geometryMm(options, SANE_NAME_SCAN_BR_Y, least(*y, y0));
    return true;
}

std::string feederChoice(const SaneOptions& options, bool duplex) {
    const auto choices = options.textChoices(SANE_NAME_SCAN_SOURCE);
    if (duplex)
        if (const auto c = pickChoice(choices, {"ADF Duplex", "Duplex"})) return *c;
    return pickChoice(choices, {"Automatic Document Feeder", "ADF", "ADF Front", "Document Feeder", "Feeder"})
        .value_or("");
}

std::string flatbedChoice(const SaneOptions& options) {
    return pickChoice(options.textChoices(SANE_NAME_SCAN_SOURCE), {"Flatbed", "Normal"}).value_or("");
}

bool feederSelected(const SaneOptions& options) {
    const std::string source = options.text(SANE_NAME_SCAN_SOURCE).value_or("");
    return !source.empty() && pickChoice({source}, {"Automatic Document Feeder", "ADF", "Feeder", "Duplex"});
}

double toOptionLevel(int value, const NumberConstraint& range) {
    const double v = std::clamp(value, -1000, 1000) / 1000.0;
    const double middle = (range.minimum + range.maximum) / 2;
    return middle + v * (range.maximum - range.minimum) / 2;
}

int fromOptionLevel(double level, const NumberConstraint& range) {
    const double half = (range.maximum - range.minimum) / 2;
    if (half <= 0) return 0;
    const double middle = (range.minimum + range.maximum) / 2;
    return static_cast<int>(std::lround((level - middle) / half * 1000));
}

std::uint16_t applyRecord(SaneOptions& options, const IKSCANRECORD& record, std::string& failed) {
    if (!isUnit(record.unitMode)) {
        failed = "unitMode";
        return IK_ERR_ARGUMENT;
    }
    const Unit unit = static_cast<Unit>(record.unitMode);
    // Source first: the other options may depend on it.
    if (record.scanMode == 1 || record.scanMode == 2) {
        const std::string feeder = feederChoice(options, record.scanMode == 2);
        if (feeder.empty() || !options.setText(SANE_NAME_SCAN_SOURCE, feeder)) {
            failed = "source";
            return IK_ERR_SCAN_UNSUPPORTED;
        }
    } else if (record.scanMode == 0) {
        const std::string flatbed = flatbedChoice(options);
        if (!flatbed.empty()) options.setText(SANE_NAME_SCAN_SOURCE, flatbed);
    } else {
        failed = "scanMode";
        return IK_ERR_SCAN_UNSUPPORTED;
    }
    if (const std::uint16_t status = setPixelType(options, record.pixelType, record.bitDepth); status != IK_OK) {
        failed = "pixelType";
        return status;
    }
    if (record.xResolution > 0) {
        const double x = toDotsPerInch(record.xResolution, unit);
        const double y = record.yResolution > 0 ? toDotsPerInch(record.yResolution, unit) : x;
        setDpi(options, x, y);
    }
    if (record.rectLeft != 0 || record.rectTop != 0 || record.rectRight != 0 || record.rectBottom != 0) {
        if (!(record.rectRight > record.rectLeft && record.rectBottom > record.rectTop)) {
            failed = "area";
            return IK_ERR_ARGUMENT;
        }
        const double dpi = currentDpi(options);
        setArea(options, AreaMm{toMillimetres(record.rectLeft, unit, dpi), toMillimetres(record.rectTop, unit, dpi),
                                toMillimetres(record.rectRight, unit, dpi),
                                toMillimetres(record.rectBottom, unit, dpi)});
    } else if (const auto x = options.numberConstraint(SANE_NAME_SCAN_BR_X),
               y = options.numberConstraint(SANE_NAME_SCAN_BR_Y);
               x && y) {
        // All zero: the whole area the device scans.
        setArea(options, AreaMm{0, 0, geometryMm(options, SANE_NAME_SCAN_BR_X, x->maximum),
                                geometryMm(options, SANE_NAME_SCAN_BR_Y, y->maximum)});
    }
    // Brightness and contrast: 0 leaves the device's own setting.
    for (const auto& [name, value] : {std::pair{SANE_NAME_BRIGHTNESS, record.brightness},
                                      std::pair{SANE_NAME_CONTRAST, record.contrast}}) {
        if (value == 0 || !options.settable(name)) continue;
        if (const auto range = options.numberConstraint(name)) options.setNumber(name, toOptionLevel(value, *range));
    }
    return IK_OK;
}

std::uint16_t applyOptionLines(SaneOptions& options, const std::string& lines, std::string& failed) {
    std::istringstream stream(lines);
    std::string line;
    while (std::getline(stream, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        const auto equals = line.find('=');
        const std::string name = trim(line.substr(0, equals));
        const std::string value = equals == std::string::npos ? "yes" : trim(line.substr(equals + 1));
        if (!options.setFromText(name, value)) {
            failed = name;
            return IK_ERR_SCAN_UNSUPPORTED;
        }
    }
    return IK_OK;
}

void readBack(const SaneOptions& options, IKSCANRECORD& record) {
    const Unit unit = isUnit(record.unitMode) ? static_cast<Unit>(record.unitMode) : Unit::Inch;
    record.pixelType = static_cast<std::uint16_t>(currentPixelType(options));
    record.bitDepth = static_cast<std::int16_t>(currentBitsPerPixel(options));
    const double x = currentDpi(options), y = currentYDpi(options);
    if (x > 0) {
        record.xResolution = static_cast<std::int32_t>(std::lround(fromDotsPerInch(x, unit)));
        record.yResolution = static_cast<std::int32_t>(std::lround(fromDotsPerInch(y, unit)));
    }
    AreaMm area;
    if (currentArea(options, area)) {
        record.rectLeft = static_cast<float>(fromMillimetres(area.left, unit, x));
        record.rectTop = static_cast<float>(fromMillimetres(area.top, unit, x));
        record.rectRight = static_cast<float>(fromMillimetres(area.right, unit, x));
        record.rectBottom = static_cast<float>(fromMillimetres(area.bottom, unit, x));
    }
}

}  // namespace scan
