// Direct pixel access through a 132-byte record: the first four bytes carry the pixel's
// packed value, little-endian (palette index; 16-, 24- or 32-bit value); the rest holds
// the locked image. The image stays locked from IKStartDibAccess to IKEndDibAccess.
#include "EffectDib.h"
#include "KitCall.h"

#include <cstring>

using namespace effect;

namespace {

constexpr std::uint32_t kRecordMark = 0x31414B49;  // "IKA1"

struct AccessRecord {
    std::uint8_t value[4];
    std::uint32_t mark;
    IKHANDLE image;
    std::int32_t width, height, bits;
    std::uint32_t stride;
    std::int32_t topDown;
    std::uint8_t* pixels;
};
static_assert(sizeof(AccessRecord) <= 132);

bool readRecord(const void* record, AccessRecord& out) {
    if (!record) return false;
    std::memcpy(&out, record, sizeof(out));
    return out.mark == kRecordMark && platform::globalIsValid(out.image);
}

std::uint8_t* rowOf(const AccessRecord& r, std::int32_t y) {
    return kit::PixelRows(r.pixels, r.stride, r.height, !r.topDown).row(y);
}

}  // namespace

IK_API IKBOOL IKStartDibAccess(IKHANDLE image, void* record) {
    return kit::guarded(IK_FALSE, [&] {
        if (!record) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        std::memset(record, 0, 132);
        // Locked for the whole access; the view's own lock ends with this call.
        if (!platform::globalLock(image)) return kit::fail(IK_ERR_HANDLE, IK_FALSE);
        const DibView dib(image);
        if (!dib.usable()) {
            platform::globalUnlock(image);
            return kit::fail(IK_ERR_FORMAT, IK_FALSE);
        }
        AccessRecord r{};
        r.mark = kRecordMark;
        r.image = image;
        r.width = dib.width();
        r.height = dib.height();
        r.bits = dib.header().biBitCount;
        r.stride = dib.stride();
        r.topDown = dib.header().biHeight < 0;
        r.pixels = dib.pixels();
        std::memcpy(record, &r, sizeof(r));
        return IK_TRUE;
    });
}

IK_API IKBOOL IKGetDibPixel(void* record, int32_t x, int32_t y) {
    return kit::guarded(IK_FALSE, [&] {
        AccessRecord r;
        if (!readRecord(record, r)) return kit::fail(IK_ERR_HANDLE, IK_FALSE);
        if (x < 0 || y < 0 || x >= r.width || y >= r.height) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        const std::uint32_t v = pixelAt(rowOf(r, y), x, r.bits);
        for (int i = 0; i < 4; ++i) static_cast<std::uint8_t*>(record)[i] = static_cast<std::uint8_t>(v >> (8 * i));
        return IK_TRUE;
    });
}

IK_API IKBOOL IKSetDibPixel(void* record, int32_t x, int32_t y) {
    return kit::guarded(IK_FALSE, [&] {
        AccessRecord r;
        if (!readRecord(record, r)) return kit::fail(IK_ERR_HANDLE, IK_FALSE);
        if (x < 0 || y < 0 || x >= r.width || y >= r.height) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        const std::uint32_t v = r.value[0] | (r.value[1] << 8) | (r.value[2] << 16) | (static_cast<std::uint32_t>(r.value[3]) << 24);
        setPixel(rowOf(r, y), x, r.bits, v);
        return IK_TRUE;
    });
}

IK_API IKBOOL IKEndDibAccess(IKHANDLE image, void* record) {
    return kit::guarded(IK_FALSE, [&] {
        AccessRecord r;
        if (!readRecord(record, r) || r.image != image) return kit::fail(IK_ERR_HANDLE, IK_FALSE);
        platform::globalUnlock(image);
        std::memset(record, 0, 132);
        return IK_TRUE;
    });
}
