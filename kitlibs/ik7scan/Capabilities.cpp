// Ik7Scan.so: what a source offers, answered from its SANE options.
#include "DeviceSettings.h"
#include "KitCall.h"
#include "ScanUnits.h"
#include "SourceAccess.h"
#include "SourceNames.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace scan;
using kit::fail;
using kit::guarded;

namespace {

// TWAIN capability numbers answered here.
enum : std::uint16_t {
    kPixelType = 0x0101,
    kFeederEnabled = 0x1002,
    kBrightness = 0x1101,
    kContrast = 0x1103,
    kHalftones = 0x1109,
    kXResolution = 0x1118,
    kYResolution = 0x1119,
    kBitDepth = 0x112B,
};
// TWAIN item types and query-support flags.
constexpr std::uint16_t kTypeBool = 6, kTypeFix32 = 7, kTypeUInt16 = 4, kTypeStr32 = 9;
constexpr std::int32_t kQueryGet = 0x1, kQuerySet = 0x2, kQueryGetDefault = 0x4, kQueryGetCurrent = 0x8,
                       kQueryReset = 0x10;

const char* levelOption(std::uint16_t capability) {
    return capability == kBrightness ? SANE_NAME_BRIGHTNESS : SANE_NAME_CONTRAST;
}

const char* resolutionOption(const SaneOptions& options, std::uint16_t capability) {
    const char* own = capability == kXResolution ? SANE_NAME_SCAN_X_RESOLUTION : SANE_NAME_SCAN_Y_RESOLUTION;
    return options.offered(own) ? own : SANE_NAME_SCAN_RESOLUTION;
}

// The option behind a capability; null when the capability is not one of ours.
const char* optionOf(const SaneOptions& options, std::uint16_t capability) {
    switch (capability) {
        case kPixelType: return SANE_NAME_SCAN_MODE;
        case kFeederEnabled: return SANE_NAME_SCAN_SOURCE;
        case kBrightness:
        case kContrast: return levelOption(capability);
        case kHalftones: return SANE_NAME_HALFTONE_PATTERN;
        case kXResolution:
        case kYResolution: return resolutionOption(options, capability);
        case kBitDepth: return SANE_NAME_BIT_DEPTH;
        default: return nullptr;
    }
}

bool offered(const SaneOptions& options, std::uint16_t capability) {
    if (capability == kFeederEnabled) return !feederChoice(options, false).empty();
    if (capability == kPixelType) return !offeredPixelTypes(options).empty();
    if (capability == kBitDepth) return !offeredBitDepths(options, currentPixelType(options)).empty();
    const char* option = optionOf(options, capability);
    return option && options.offered(option);
}

// Resolutions offered on a range: the usual steps within it.
std::vector<double> resolutionSteps(const NumberConstraint& c) {
    if (!c.isRange()) return c.values;
    std::vector<double> steps;
    for (double dpi : {50.0, 75.0, 100.0, 150.0, 200.0, 300.0, 400.0, 600.0, 1200.0, 2400.0})
        if (dpi >= c.minimum && dpi <= c.maximum) steps.push_back(dpi);
    return steps;
}

struct Enumeration {
    std::uint16_t type = kTypeUInt16;
    std::vector<double> values;
    std::vector<std::string> texts;
    int current = -1;
};

bool enumerate(const SaneOptions& options, std::uint16_t capability, Enumeration& e) {
    const auto indexOf = [&](double value) {
        const auto it = std::find(e.values.begin(), e.values.end(), value);
        return it == e.values.end() ? -1 : static_cast<int>(it - e.values.begin());
    };
    switch (capability) {
        case kPixelType:
            for (int t : offeredPixelTypes(options)) e.values.push_back(t);
            for (double v : e.values) e.texts.push_back(v == 0 ? "Lineart" : v == 1 ? "Gray" : "Color");
            e.current = indexOf(currentPixelType(options));
            return !e.values.empty();
        case kBitDepth:
            for (int d : offeredBitDepths(options, currentPixelType(options))) e.values.push_back(d);
            for (double v : e.values) e.texts.push_back(std::to_string(int(v)));
            e.current = indexOf(currentBitsPerPixel(options));
            return !e.values.empty();
        case kFeederEnabled:
            if (feederChoice(options, false).empty()) return false;
            e.type = kTypeBool;
            e.values = {0, 1};
            e.texts = {"0", "1"};
            e.current = feederSelected(options) ? 1 : 0;
            return true;
        case kHalftones:
            e.type = kTypeStr32;
            e.texts = options.textChoices(SANE_NAME_HALFTONE_PATTERN);
            for (std::size_t i = 0; i < e.texts.size(); ++i) {
                e.values.push_back(double(i));
                if (e.texts[i] == options.text(SANE_NAME_HALFTONE_PATTERN).value_or("")) e.current = int(i);
            }
            return !e.texts.empty();
        case kXResolution:
        case kYResolution: {
            const char* option = resolutionOption(options, capability);
            const auto c = options.numberConstraint(option);
            if (!c) return false;
            e.type = kTypeFix32;
            e.values = resolutionSteps(*c);
            for (double v : e.values) e.texts.push_back(std::to_string(std::lround(v)));
            e.current = indexOf(options.number(option).value_or(-1));
            return !e.values.empty();
        }
        default: return false;
    }
}

}  // namespace

IK_API int32_t IKScanGetPixelType(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name, int16_t* types,
                                  int32_t count) {
    return guarded<int32_t>(0, [&]() -> int32_t {
        if (count < 0 || (count > 0 && !types)) return fail<int32_t>(IK_ERR_ARGUMENT, 0);
        SourceAccess access(connection, source, name);
        if (!access) return fail<int32_t>(access.status(), 0);
        const auto offered = offeredPixelTypes(SaneOptions(access.source().handle));
        for (int i = 0; i < count && i < int(offered.size()); ++i) types[i] = static_cast<int16_t>(offered[i]);
        return static_cast<int32_t>(offered.size());
    });
}

IK_API int32_t IKScanGetBitDepth(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name,
                                 uint8_t pixelType, int16_t* depths, int32_t count) {
    return guarded<int32_t>(0, [&]() -> int32_t {
        if (count < 0 || (count > 0 && !depths)) return fail<int32_t>(IK_ERR_ARGUMENT, 0);
        SourceAccess access(connection, source, name);
        if (!access) return fail<int32_t>(access.status(), 0);
        const auto offered = offeredBitDepths(SaneOptions(access.source().handle), pixelType);
        if (offered.empty()) return fail<int32_t>(IK_ERR_SCAN_UNSUPPORTED, 0);
        for (int i = 0; i < count && i < int(offered.size()); ++i) depths[i] = static_cast<int16_t>(offered[i]);
        return static_cast<int32_t>(offered.size());
    });
}

namespace {

// The largest or smallest area, for the source of `scanMode` (the device's source is put
// back afterwards), in the record's unit.
IKBOOL areaSize(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name, uint8_t scanMode,
                uint8_t unitMode, float* width, float* height, bool largest) {
    if (!width || !height || !isUnit(unitMode) || scanMode > 2) return fail(IK_ERR_ARGUMENT, IK_FALSE);
    SourceAccess access(connection, source, name);
    if (!access) return fail(access.status(), IK_FALSE);
    SaneOptions options(access.source().handle);
    const std::string before = options.text(SANE_NAME_SCAN_SOURCE).value_or("");
    const std::string wanted = scanMode == 0 ? flatbedChoice(options) : feederChoice(options, scanMode == 2);
    if (scanMode != 0 && wanted.empty()) return fail(IK_ERR_SCAN_UNSUPPORTED, IK_FALSE);
    if (!wanted.empty() && wanted != before) options.setText(SANE_NAME_SCAN_SOURCE, wanted);
    double w = 0, h = 0;
    const bool known = largest ? physicalSize(options, w, h) : minimumSize(options, w, h);
    const double dpi = currentDpi(options);
    if (!wanted.empty() && wanted != before) options.setText(SANE_NAME_SCAN_SOURCE, before);
    if (!known) return fail(IK_ERR_SCAN_UNSUPPORTED, IK_FALSE);
    const Unit unit = static_cast<Unit>(unitMode);
    *width = static_cast<float>(fromMillimetres(w, unit, dpi));
    *height = static_cast<float>(fromMillimetres(h, unit, dpi));
    return IK_TRUE;
}

}  // namespace

IK_API IKBOOL IKScanGetPhysicalSize(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name,
                                    uint8_t scanMode, uint8_t unitMode, float* width, float* height) {
    return guarded(IK_FALSE, [&] { return areaSize(connection, source, name, scanMode, unitMode, width, height, true); });
}

IK_API IKBOOL IKScanGetMinimumSize(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name,
                                   uint8_t scanMode, uint8_t unitMode, float* width, float* height) {
    return guarded(IK_FALSE, [&] { return areaSize(connection, source, name, scanMode, unitMode, width, height, false); });
}

IK_API IKBOOL IKScanIsCapSupported(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name,
                                   uint16_t capability, int32_t* supported) {
    return guarded(IK_FALSE, [&]() -> IKBOOL {
        if (!supported) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        *supported = 0;
        SourceAccess access(connection, source, name);
        if (!access) return fail(access.status(), IK_FALSE);
        const SaneOptions options(access.source().handle);
        const char* option = optionOf(options, capability);
        if (!option || !offered(options, capability)) return fail(IK_ERR_SCAN_UNSUPPORTED, IK_FALSE);
        *supported = kQueryGet | kQueryGetDefault | kQueryGetCurrent;
        if (options.settable(option)) *supported |= kQuerySet | kQueryReset;
        return IK_TRUE;
    });
}

// Ranges: resolution in dots per inch; brightness and contrast as -1000 … 1000 (0 the
// middle of the device's range). The default is the value the source has now.
IK_API IKBOOL IKScanGetCapRange(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name,
                                uint16_t capability, uint16_t* valueType, int32_t* range) {
    return guarded(IK_FALSE, [&]() -> IKBOOL {
        if (!valueType || !range) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        SourceAccess access(connection, source, name);
        if (!access) return fail(access.status(), IK_FALSE);
        const SaneOptions options(access.source().handle);
        if (capability != kXResolution && capability != kYResolution && capability != kBrightness &&
            capability != kContrast)
            return fail(IK_ERR_SCAN_UNSUPPORTED, IK_FALSE);
        const char* option = optionOf(options, capability);
        const auto c = options.numberConstraint(option);
        const auto now = options.number(option);
        if (!c || !now) return fail(IK_ERR_SCAN_UNSUPPORTED, IK_FALSE);
        *valueType = kTypeFix32;
        if (capability == kBrightness || capability == kContrast) {
            const double span = c->maximum - c->minimum;
            range[0] = -1000;
            range[1] = 1000;
            range[2] = span > 0 && c->step > 0 ? std::max<int32_t>(1, int32_t(std::lround(c->step / span * 2000))) : 1;
            range[3] = range[4] = fromOptionLevel(*now, *c);
        } else {
            range[0] = int32_t(std::lround(c->minimum));
            range[1] = int32_t(std::lround(c->maximum));
            range[2] = c->isRange() ? std::max<int32_t>(1, int32_t(std::lround(c->step))) : 0;
            range[3] = range[4] = int32_t(std::lround(*now));
        }
        return IK_TRUE;
    });
}

IK_API int32_t IKScanGetCapEnum(IKSCANCONNECTION connection, IKSCANSOURCE source, const char* name,
                                uint16_t capability, uint16_t valueType, float* values, char* texts,
                                int32_t* current, int32_t* defaultIndex, int32_t count) {
    return guarded<int32_t>(0, [&]() -> int32_t {
        (void)valueType;  // the answer's type follows the capability
        if (count < 0 || (count > 0 && !values)) return fail<int32_t>(IK_ERR_ARGUMENT, 0);
        if (texts) texts[0] = '\0';
        SourceAccess access(connection, source, name);
        if (!access) return fail<int32_t>(access.status(), 0);
        Enumeration e;
        if (!enumerate(SaneOptions(access.source().handle), capability, e))
            return fail<int32_t>(IK_ERR_SCAN_UNSUPPORTED, 0);
        for (int i = 0; i < count && i < int(e.values.size()); ++i) values[i] = static_cast<float>(e.values[i]);
        if (current) *current = e.current;
        if (defaultIndex) *defaultIndex = e.current;
        if (texts) {
            // The same "text," layout as the source list, without a leading default.
            const ListText list = buildListText("", e.texts, IK_SCAN_CAP_TEXT_BYTES);
            std::memcpy(texts, list.text.c_str() + 1, list.text.size());
            if (!list.complete) platform::setKitStatus(IK_ERR_SCAN_TRUNCATED);
        }
        return static_cast<int32_t>(e.values.size());
    });
}
