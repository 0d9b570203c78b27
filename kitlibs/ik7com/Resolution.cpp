// Resolution stamped into a bitmap's header, in pixels per metre.
#include "DibBlock.h"
#include "KitCall.h"

#include <cmath>

using namespace kit;

namespace {

IKBOOL stamp(IKHANDLE image, double xdpi, double ydpi) {
    if (!(xdpi >= 0) || !(ydpi >= 0) || xdpi > 1e6 || ydpi > 1e6) return fail(IK_ERR_ARGUMENT, IK_FALSE);
    const DibView dib(image);
    if (!dib.usable()) return fail(dib.failureStatus(), IK_FALSE);
    dib.header().biXPelsPerMeter = platform::dpiToPelsPerMeter(xdpi);
    dib.header().biYPelsPerMeter = platform::dpiToPelsPerMeter(ydpi);
    return IK_TRUE;
}

}  // namespace

IK_API IKBOOL IKSetDpi(IKHANDLE image, int32_t xdpi, int32_t ydpi) {
    return guarded(IK_FALSE, [&] { return stamp(image, xdpi, ydpi); });
}

IK_API IKBOOL IKSetDpiF(IKHANDLE image, double xdpi, double ydpi) {
    return guarded(IK_FALSE, [&] { return stamp(image, xdpi, ydpi); });
}

IK_API IKBOOL IKGetDpi(IKHANDLE image, int32_t* xdpi, int32_t* ydpi) {
    return guarded(IK_FALSE, [&] {
        if (!xdpi || !ydpi) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        const DibView dib(image);
        if (!dib.usable()) return fail(dib.failureStatus(), IK_FALSE);
        *xdpi = platform::pelsPerMeterToDpi(dib.header().biXPelsPerMeter);
        *ydpi = platform::pelsPerMeterToDpi(dib.header().biYPelsPerMeter);
        return IK_TRUE;
    });
}

IK_API IKBOOL IKGetDpiF(IKHANDLE image, double* xdpi, double* ydpi) {
    return guarded(IK_FALSE, [&] {
        if (!xdpi || !ydpi) return fail(IK_ERR_ARGUMENT, IK_FALSE);
        const DibView dib(image);
        if (!dib.usable()) return fail(dib.failureStatus(), IK_FALSE);
        *xdpi = platform::pelsPerMeterToDpiF(dib.header().biXPelsPerMeter);
        *ydpi = platform::pelsPerMeterToDpiF(dib.header().biYPelsPerMeter);
        return IK_TRUE;
    });
}
