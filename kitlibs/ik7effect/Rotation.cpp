// IKRotationEx: quarter turns exactly, any other angle with a background colour. A source
// mask, when given, is turned the same way (its uncovered area is black = not selected).
#include "FreeRotation.h"
#include "KitCall.h"
#include "QuarterTurn.h"

using namespace effect;

namespace {

IKHANDLE turn(IKHANDLE image, std::int32_t angle, std::uint32_t background, Progress& progress) {
    const DibView src(image);
    if (!src.usable()) return kit::fail<IKHANDLE>(src.failureStatus(), 0);
    std::int32_t normal = angle % 36000;
    if (normal < 0) normal += 36000;
    if (normal % 9000 == 0) return turnQuarters(src, normal / 9000, progress);
    return turnFree(src, normal, background, progress);
}

}  // namespace

/*
 * images: {image, mask or 0}; results: {turned image, turned mask or 0}. The angle is in
 * hundredths of a degree, positive counter-clockwise. The four flags are reserved.
 */
IK_API IKBOOL IKRotationEx(const IKHANDLE images[2], IKHANDLE results[2], int32_t angle, IKBOOL, IKBOOL, IKBOOL,
                           uint8_t red, uint8_t green, uint8_t blue, IKBOOL, IKPROGRESSPROC progressProc,
                           const char*, const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!images || !results) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        results[0] = results[1] = 0;
        Progress progress(progressProc);
        const std::uint32_t background = (static_cast<std::uint32_t>(red) << 16) | (green << 8) | blue;
        platform::GlobalBlock turned(turn(images[0], angle, background, progress));
        if (!turned.get()) return IK_FALSE;
        platform::GlobalBlock mask;
        if (images[1]) {
            Progress quiet(nullptr);
            mask = platform::GlobalBlock(turn(images[1], angle, 0, quiet));
            if (!mask.get()) return IK_FALSE;
        }
        results[0] = turned.release();
        results[1] = mask.release();
        return IK_TRUE;
    });
}
