#include "Ikeffect.h"

#include "Ikinit.h"

#include <QByteArray>
#include <QMessageBox>

using namespace Ikdllprocs;

namespace {

template <typename Proc>
Proc typed(IkAnyProc entry) {
    return reinterpret_cast<Proc>(entry);
}

using Rect = IKRECT;

}  // namespace

struct TVIkEffect::Tail {
    IKPROGRESSPROC proc;
    const char* caption;
    const char* message;
    const char* button;
};

TVIkEffect::TVIkEffect(QObject* owner) : QObject(owner), attachment_(vikGroupMain) { IkProgressSlot<TVIkEffect>::release(); }

TVIkEffect::~TVIkEffect() {
    IkProgressSlot<TVIkEffect>::forget(this);
}

void TVIkEffect::DoProgress(std::int16_t percent) {
    if (OnProgress) OnProgress(this, percent);
}

void TVIkEffect::takeStatus() {
    if (IkGetErrorStatus) ErrorCode_ = IkGetErrorStatus();
}

template <typename R, typename Call>
R TVIkEffect::withProgress(Call call) {
    lastPercent_ = 0;
    Cancel_ = false;
    const IKPROGRESSPROC proc =
        IkProgressSlot<TVIkEffect>::claim(this, !Caption_.isEmpty() || !Message_.isEmpty() || !ButtonName_.isEmpty());
    const QByteArray caption = Caption_.toUtf8(), message = Message_.toUtf8(), button = ButtonName_.toUtf8();
    const R result = call(Tail{proc, caption.constData(), message.constData(), button.constData()});
    IkProgressSlot<TVIkEffect>::release();
    takeStatus();
    return result;
}

bool TVIkEffect::keepImage(IKHANDLE image) {
    DestImgHandle_ = image;
    return image != 0;
}

// ---- operations the application uses ---------------------------------------------

bool TVIkEffect::ConvertColor(std::int16_t bits, bool flag1, bool flag2, std::int16_t threshold) {
    if (!IkConvertColor) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    return keepImage(withProgress<IKHANDLE>([&](const Tail& t) {
        return IkConvertColor(SrcImgHandle_, static_cast<std::uint16_t>(bits), flagOf(flag1), flagOf(flag2),
                              low8(threshold), t.proc, t.caption, t.message, t.button);
    }));
}

bool TVIkEffect::Rotation(std::int32_t angle, bool flag1, bool flag2, bool flag3, std::int16_t red,
                          std::int16_t green, std::int16_t blue, bool flag4) {
    if (!IkRotationEx) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    const IKHANDLE images[2] = {SrcImgHandle_, SrcMaskHandle_};
    IKHANDLE results[2] = {0, 0};
    const bool ok = withProgress<IKBOOL>([&](const Tail& t) {
        return IkRotationEx(images, results, angle, flagOf(flag1), flagOf(flag2), flagOf(flag3), low8(red),
                            low8(green), low8(blue), flagOf(flag4), t.proc, t.caption, t.message, t.button);
    }) != 0;
    DestImgHandle_ = results[0];
    DestMaskHandle_ = results[1];
    return ok;
}

bool TVIkEffect::CutRectImage() {
    if (!IkCutRectImage) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    const Rect rect{RectLeft_, RectTop_, RectRight_, RectBottom_};
    return keepImage(withProgress<IKHANDLE>([&](const Tail& t) {
        return IkCutRectImage(SrcImgHandle_, &rect, t.proc, t.caption, t.message, t.button);
    }));
}

// ---- other whole-image operations -------------------------------------------------

bool TVIkEffect::Resize(std::int32_t width, std::int32_t height, bool flag) {
    if (!IkResizeEx) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    const IKHANDLE images[2] = {SrcImgHandle_, SrcMaskHandle_};
    IKHANDLE results[2] = {0, 0};
    const bool ok = withProgress<IKBOOL>([&](const Tail& t) {
        return IkResizeEx(images, results, width, height, flagOf(flag), t.proc, t.caption, t.message, t.button);
    }) != 0;
    DestImgHandle_ = results[0];
    DestMaskHandle_ = results[1];
    return ok;
}

bool TVIkEffect::SetGray() {
    if (!IkSetGray) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    return keepImage(withProgress<IKHANDLE>(
        [&](const Tail& t) { return IkSetGray(SrcImgHandle_, t.proc, t.caption, t.message, t.button); }));
}

bool TVIkEffect::Affine(std::int32_t v1, std::int32_t v2, std::int32_t v3, std::int32_t v4, std::int32_t v5,
                        std::int32_t v6, std::int32_t v7, std::int32_t v8) {
    using Proc = IKHANDLE (*)(IKHANDLE, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                              IK_PROGRESS_TAIL);
    if (!IkAffine) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    return keepImage(withProgress<IKHANDLE>([&](const Tail& t) {
        return typed<Proc>(IkAffine)(SrcImgHandle_, v1, v2, v3, v4, v5, v6, v7, v8, t.proc, t.caption, t.message,
                                     t.button);
    }));
}

bool TVIkEffect::MakeRGBAImage() {
    if (!IkMakeRGBAImage) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    return keepImage(withProgress<IKHANDLE>([&](const Tail& t) {
        return IkMakeRGBAImage(SrcImgHandle_, SrcMaskHandle_, t.proc, t.caption, t.message, t.button);
    }));
}

bool TVIkEffect::SplitRGBAImage() {
    if (!IkSplitRGBAImage) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    return withProgress<IKBOOL>([&](const Tail& t) {
        return IkSplitRGBAImage(SrcImgHandle_, &DestImgHandle_, &DestMaskHandle_, t.proc, t.caption, t.message,
                                t.button);
    }) != 0;
}

bool TVIkEffect::RasterToVector(IKHANDLE image, bool flag, std::int16_t value, std::int32_t number) {
    using Proc = IKHANDLE (*)(IKHANDLE, IKBOOL, uint16_t, int32_t, IK_PROGRESS_TAIL);
    if (!IkRasterToVector) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    return keepImage(withProgress<IKHANDLE>([&](const Tail& t) {
        return typed<Proc>(IkRasterToVector)(image, flagOf(flag), static_cast<uint16_t>(value), number, t.proc,
                                             t.caption, t.message, t.button);
    }));
}

bool TVIkEffect::Layer(IKHANDLE image1, IKHANDLE image2, std::int16_t value, bool flag1, std::int16_t a1,
                       std::int16_t a2, std::int16_t a3, std::int16_t a4, std::int16_t a5, std::int16_t a6,
                       std::int32_t n1, std::int32_t n2, bool flag2) {
    using Proc = IKHANDLE (*)(IKHANDLE, IKHANDLE, uint8_t, IKBOOL, uint8_t, uint8_t, uint8_t, uint8_t, uint8_t,
                              uint8_t, int32_t, int32_t, IKBOOL, IKBOOL, IK_PROGRESS_TAIL);
    if (!IkLayerEx) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    return keepImage(withProgress<IKHANDLE>([&](const Tail& t) {
        return typed<Proc>(IkLayerEx)(image1, image2, low8(value), flagOf(flag1), low8(a1), low8(a2), low8(a3),
                                      low8(a4), low8(a5), low8(a6), n1, n2, flagOf(flag2), flagOf(LayerOption_),
                                      t.proc, t.caption, t.message, t.button);
    }));
}

bool TVIkEffect::Panorama(IKHANDLE image1, IKHANDLE image2, std::int16_t value, std::int32_t n1, std::int32_t n2,
                          std::int32_t n3, std::int32_t n4, std::int32_t n5, std::int32_t n6, std::int32_t n7,
                          std::int32_t n8, std::int16_t a1, std::int16_t a2, std::int16_t a3) {
    using Proc = IKHANDLE (*)(IKHANDLE, IKHANDLE, uint8_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                              int32_t, int32_t, uint8_t, uint8_t, uint8_t, IK_PROGRESS_TAIL);
    if (!IkPanorama) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    return keepImage(withProgress<IKHANDLE>([&](const Tail& t) {
        return typed<Proc>(IkPanorama)(image1, image2, low8(value), n1, n2, n3, n4, n5, n6, n7, n8, low8(a1),
                                       low8(a2), low8(a3), t.proc, t.caption, t.message, t.button);
    }));
}

bool TVIkEffect::PasteImage(IKHANDLE image, std::int32_t n, bool flag1, bool flag2, std::int16_t value, bool flag3,
                            std::int16_t a1, std::int16_t a2, std::int16_t a3, std::int16_t a4, std::int16_t a5,
                            std::int16_t a6, std::int32_t n1, std::int32_t n2, bool flag4) {
    using Proc = IKHANDLE (*)(IKHANDLE, const IKHANDLE*, int32_t, IKBOOL, IKBOOL, uint8_t, IKBOOL, uint8_t, uint8_t,
                              uint8_t, uint8_t, uint8_t, uint8_t, int32_t, int32_t, IKBOOL, IK_PROGRESS_TAIL);
    if (!IkPasteImage) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    const IKHANDLE images[2] = {SrcImgHandle_, SrcMaskHandle_};
    return keepImage(withProgress<IKHANDLE>([&](const Tail& t) {
        return typed<Proc>(IkPasteImage)(image, images, n, flagOf(flag1), flagOf(flag2), low8(value), flagOf(flag3),
                                         low8(a1), low8(a2), low8(a3), low8(a4), low8(a5), low8(a6), n1, n2,
                                         flagOf(flag4), t.proc, t.caption, t.message, t.button);
    }));
}

bool TVIkEffect::SetSecretImage(IKHANDLE image1, IKHANDLE image2, const QString& text1, const QString& text2,
                                std::int16_t value, bool f1, bool f2, bool f3, bool f4, std::int16_t value8,
                                std::int32_t n1, std::int32_t n2, std::int32_t n3, std::int32_t n4, std::int32_t n5,
                                std::int32_t n6) {
    using Proc = IKHANDLE (*)(IKHANDLE, IKHANDLE, const char*, const char*, uint16_t, IKBOOL, IKBOOL, IKBOOL, IKBOOL,
                              uint8_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, IK_PROGRESS_TAIL);
    if (!IkSetSecretImage) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    const QByteArray a = text1.toUtf8(), b = text2.toUtf8();
    return keepImage(withProgress<IKHANDLE>([&](const Tail& t) {
        return typed<Proc>(IkSetSecretImage)(image1, image2, a.constData(), b.constData(),
                                             static_cast<uint16_t>(value), flagOf(f1), flagOf(f2), flagOf(f3),
                                             flagOf(f4), low8(value8), n1, n2, n3, n4, n5, n6, t.proc, t.caption,
                                             t.message, t.button);
    }));
}

bool TVIkEffect::CheckSecretImage(IKHANDLE image1, IKHANDLE image2, std::int32_t n) {
    using Proc = IKHANDLE (*)(IKHANDLE, IKHANDLE, int32_t, IK_PROGRESS_TAIL);
    if (!IkCheckSecretImage) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    return keepImage(withProgress<IKHANDLE>([&](const Tail& t) {
        return typed<Proc>(IkCheckSecretImage)(image1, image2, n, t.proc, t.caption, t.message, t.button);
    }));
}

// ---- area-limited filters and selections --------------------------------------------

// A polygon needs its points (5) and the call its library function (14); otherwise the
// library is not called.
bool TVIkEffect::areaCallAllowed(bool hasEntry, const TVIkPoint* points, int count) {
    if (SelectMode_ == vikEffectPolygon && (!points || count <= 0)) {
        ErrorCode_ = kStatusBadArgument;
        return false;
    }
    if (!hasEntry) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    return true;
}

template <typename Entry, typename... Params>
bool TVIkEffect::areaFilter(Entry entry, const TVIkPoint* points, int count, Params... params) {
    using Proc = IKHANDLE (*)(const IKHANDLE*, uint8_t, const TVIkPoint*, int32_t, const IKRECT*, uint8_t, Params...,
                              IK_PROGRESS_TAIL);
    if (!areaCallAllowed(entry != nullptr, points, count)) return false;
    const std::int32_t handed = SelectMode_ == vikEffectPolygon ? count : 0;
    const IKHANDLE images[2] = {SrcImgHandle_, SrcMaskHandle_};
    const Rect rect{RectLeft_, RectTop_, RectRight_, RectBottom_};
    return keepImage(withProgress<IKHANDLE>([&](const Tail& t) {
        return typed<Proc>(entry)(images, SelectMode_, points, handed, &rect, InOut_, params..., t.proc, t.caption,
                                  t.message, t.button);
    }));
}

template <typename Entry, typename... Params>
bool TVIkEffect::selection(Entry entry, const TVIkPoint* points, int count, Params... params) {
    using Proc = IKBOOL (*)(IKHANDLE, IKHANDLE*, uint8_t, const TVIkPoint*, int32_t, const IKRECT*, uint8_t, Params...,
                            IK_PROGRESS_TAIL);
    if (!areaCallAllowed(entry != nullptr, points, count)) return false;
    const std::int32_t handed = SelectMode_ == vikEffectPolygon ? count : 0;
    IKHANDLE results[2] = {0, 0};
    const Rect rect{RectLeft_, RectTop_, RectRight_, RectBottom_};
    const bool ok = withProgress<IKBOOL>([&](const Tail& t) {
        return typed<Proc>(entry)(SrcImgHandle_, results, SelectMode_, points, handed, &rect, InOut_, params...,
                                  t.proc, t.caption, t.message, t.button);
    }) != 0;
    DestImgHandle_ = results[0];
    DestMaskHandle_ = results[1];
    return ok;
}

using U8 = std::uint8_t;

bool TVIkEffect::AntiAlias(const TVIkPoint* p, int n) { return areaFilter(IkAntiAlias, p, n); }
bool TVIkEffect::AntiAlias() { return AntiAlias(nullptr, 0); }
bool TVIkEffect::Blur(const TVIkPoint* p, int n, std::int16_t s) { return areaFilter(IkBlur, p, n, low8(s)); }
bool TVIkEffect::Blur(std::int16_t s) { return Blur(nullptr, 0, s); }
bool TVIkEffect::Sharp(const TVIkPoint* p, int n, std::int16_t s) { return areaFilter(IkSharp, p, n, low8(s)); }
bool TVIkEffect::Sharp(std::int16_t s) { return Sharp(nullptr, 0, s); }
bool TVIkEffect::Canvas(const TVIkPoint* p, int n, std::int16_t a, std::int16_t b) {
    return areaFilter(IkCanvas, p, n, low8(a), low8(b));
}
bool TVIkEffect::Canvas(std::int16_t a, std::int16_t b) { return Canvas(nullptr, 0, a, b); }
bool TVIkEffect::OilPaint(const TVIkPoint* p, int n, std::int16_t a, std::int16_t b) {
    return areaFilter(IkOilPaint, p, n, low8(a), low8(b));
}
bool TVIkEffect::OilPaint(std::int16_t a, std::int16_t b) { return OilPaint(nullptr, 0, a, b); }
bool TVIkEffect::RemoveNoise(const TVIkPoint* p, int n, std::int16_t a, std::int16_t b) {
    return areaFilter(IkRemoveNoise, p, n, low8(a), low8(b));
}
bool TVIkEffect::RemoveNoise(std::int16_t a, std::int16_t b) { return RemoveNoise(nullptr, 0, a, b); }
bool TVIkEffect::Chroma(const TVIkPoint* p, int n, std::int32_t v) { return areaFilter(IkChroma, p, n, v); }
bool TVIkEffect::Chroma(std::int32_t v) { return Chroma(nullptr, 0, v); }
bool TVIkEffect::CustomFilter(const TVIkPoint* p, int n, const std::int32_t* m, std::int16_t a, std::int16_t b,
                              bool f1, bool f2, bool f3) {
    return areaFilter(IkCustomFilter, p, n, m, low8(a), low8(b), flagOf(f1), flagOf(f2), flagOf(f3));
}
bool TVIkEffect::CustomFilter(const std::int32_t* m, std::int16_t a, std::int16_t b, bool f1, bool f2, bool f3) {
    return CustomFilter(nullptr, 0, m, a, b, f1, f2, f3);
}
bool TVIkEffect::Emboss(const TVIkPoint* p, int n, std::int16_t a, std::int16_t b, std::int16_t c) {
    return areaFilter(IkEmboss, p, n, low8(a), low8(b), low8(c));
}
bool TVIkEffect::Emboss(std::int16_t a, std::int16_t b, std::int16_t c) { return Emboss(nullptr, 0, a, b, c); }
bool TVIkEffect::Outline(const TVIkPoint* p, int n, std::int16_t a, std::int16_t b, std::int16_t c) {
    return areaFilter(IkOutline, p, n, low8(a), low8(b), low8(c));
}
bool TVIkEffect::Outline(std::int16_t a, std::int16_t b, std::int16_t c) { return Outline(nullptr, 0, a, b, c); }
bool TVIkEffect::GlassTile(const TVIkPoint* p, int n, std::int32_t a, std::int32_t b) {
    return areaFilter(IkGlassTile, p, n, a, b);
}
bool TVIkEffect::GlassTile(std::int32_t a, std::int32_t b) { return GlassTile(nullptr, 0, a, b); }
bool TVIkEffect::Mosaic(const TVIkPoint* p, int n, std::int32_t a, std::int32_t b) {
    return areaFilter(IkMosaic, p, n, a, b);
}
bool TVIkEffect::Mosaic(std::int32_t a, std::int32_t b) { return Mosaic(nullptr, 0, a, b); }
bool TVIkEffect::Lens(const TVIkPoint* p, int n, double d, bool f, std::int16_t a, std::int16_t b, std::int16_t c) {
    return areaFilter(IkLens, p, n, d, flagOf(f), low8(a), low8(b), low8(c));
}
bool TVIkEffect::Lens(double d, bool f, std::int16_t a, std::int16_t b, std::int16_t c) {
    return Lens(nullptr, 0, d, f, a, b, c);
}
bool TVIkEffect::MotionBlur(const TVIkPoint* p, int n, std::int16_t a, std::int16_t b, std::int32_t v) {
    return areaFilter(IkMotionBlur, p, n, low8(a), low8(b), v);
}
bool TVIkEffect::MotionBlur(std::int16_t a, std::int16_t b, std::int32_t v) { return MotionBlur(nullptr, 0, a, b, v); }
bool TVIkEffect::RGBGamma(const TVIkPoint* p, int n, double r, double g, double b) {
    return areaFilter(IkRGBGamma, p, n, r, g, b);
}
bool TVIkEffect::RGBGamma(double r, double g, double b) { return RGBGamma(nullptr, 0, r, g, b); }
bool TVIkEffect::YCCGamma(const TVIkPoint* p, int n, double y, double c1, double c2) {
    return areaFilter(IkYCCGamma, p, n, y, c1, c2);
}
bool TVIkEffect::YCCGamma(double y, double c1, double c2) { return YCCGamma(nullptr, 0, y, c1, c2); }
bool TVIkEffect::RGBLevel(const TVIkPoint* p, int n, std::int32_t r, std::int32_t g, std::int32_t b) {
    return areaFilter(IkRGBLevel, p, n, r, g, b);
}
bool TVIkEffect::RGBLevel(std::int32_t r, std::int32_t g, std::int32_t b) { return RGBLevel(nullptr, 0, r, g, b); }
bool TVIkEffect::YCCLevel(const TVIkPoint* p, int n, std::int32_t y, std::int32_t c1, std::int32_t c2) {
    return areaFilter(IkYCCLevel, p, n, y, c1, c2);
}
bool TVIkEffect::YCCLevel(std::int32_t y, std::int32_t c1, std::int32_t c2) { return YCCLevel(nullptr, 0, y, c1, c2); }
bool TVIkEffect::RGBRev(const TVIkPoint* p, int n, bool r, bool g, bool b) {
    return areaFilter(IkRGBRev, p, n, flagOf(r), flagOf(g), flagOf(b));
}
bool TVIkEffect::RGBRev(bool r, bool g, bool b) { return RGBRev(nullptr, 0, r, g, b); }
bool TVIkEffect::YCCRev(const TVIkPoint* p, int n, bool y, bool c1, bool c2) {
    return areaFilter(IkYCCRev, p, n, flagOf(y), flagOf(c1), flagOf(c2));
}
bool TVIkEffect::YCCRev(bool y, bool c1, bool c2) { return YCCRev(nullptr, 0, y, c1, c2); }
bool TVIkEffect::RGBSpline(const TVIkPoint* p, int n, const TVIkPoint* curve, int curveCount, bool r, bool g, bool b) {
    return areaFilter(IkRGBSpline, p, n, curve, static_cast<std::int32_t>(curveCount), flagOf(r), flagOf(g), flagOf(b));
}
bool TVIkEffect::RGBSpline(const TVIkPoint* curve, int curveCount, bool r, bool g, bool b) {
    return RGBSpline(nullptr, 0, curve, curveCount, r, g, b);
}
bool TVIkEffect::YCCSpline(const TVIkPoint* p, int n, const TVIkPoint* curve, int curveCount, bool y, bool c1,
                           bool c2) {
    return areaFilter(IkYCCSpline, p, n, curve, static_cast<std::int32_t>(curveCount), flagOf(y), flagOf(c1),
                      flagOf(c2));
}
bool TVIkEffect::YCCSpline(const TVIkPoint* curve, int curveCount, bool y, bool c1, bool c2) {
    return YCCSpline(nullptr, 0, curve, curveCount, y, c1, c2);
}
bool TVIkEffect::Ripple(const TVIkPoint* p, int n, double d1, double d2, double d3, bool f1, bool f2, std::int16_t a,
                        std::int16_t b, std::int16_t c) {
    return areaFilter(IkRipple, p, n, d1, d2, d3, flagOf(f1), flagOf(f2), low8(a), low8(b), low8(c));
}
bool TVIkEffect::Ripple(double d1, double d2, double d3, bool f1, bool f2, std::int16_t a, std::int16_t b,
                        std::int16_t c) {
    return Ripple(nullptr, 0, d1, d2, d3, f1, f2, a, b, c);
}
bool TVIkEffect::UnifyColor(const TVIkPoint* p, int n, std::int16_t a, std::int16_t b, std::int16_t c,
                            std::int16_t d) {
    return areaFilter(IkUnifyColor, p, n, low8(a), low8(b), low8(c), low8(d));
}
bool TVIkEffect::UnifyColor(std::int16_t a, std::int16_t b, std::int16_t c, std::int16_t d) {
    return UnifyColor(nullptr, 0, a, b, c, d);
}
bool TVIkEffect::RedEyeRemoval(const TVIkPoint* p, int n, std::int16_t a, std::int16_t b, std::int16_t c,
                               std::int16_t d) {
    return areaFilter(IkRedEyeRemoval, p, n, low8(a), low8(b), low8(c), low8(d));
}
bool TVIkEffect::RedEyeRemoval(std::int16_t a, std::int16_t b, std::int16_t c, std::int16_t d) {
    return RedEyeRemoval(nullptr, 0, a, b, c, d);
}
bool TVIkEffect::Waves(const TVIkPoint* p, int n, std::int16_t a, std::int16_t b, std::int32_t n1, std::int32_t n2,
                       double d, std::int16_t c1, std::int16_t c2, std::int16_t c3, std::int16_t c4) {
    return areaFilter(IkWaves, p, n, low8(a), low8(b), n1, n2, d, low8(c1), low8(c2), low8(c3), low8(c4));
}
bool TVIkEffect::Waves(std::int16_t a, std::int16_t b, std::int32_t n1, std::int32_t n2, double d, std::int16_t c1,
                       std::int16_t c2, std::int16_t c3, std::int16_t c4) {
    return Waves(nullptr, 0, a, b, n1, n2, d, c1, c2, c3, c4);
}
bool TVIkEffect::WhirlPinch(const TVIkPoint* p, int n, double d1, double d2, double d3, std::int16_t a, std::int16_t b,
                            std::int16_t c) {
    return areaFilter(IkWhirlPinch, p, n, d1, d2, d3, low8(a), low8(b), low8(c));
}
bool TVIkEffect::WhirlPinch(double d1, double d2, double d3, std::int16_t a, std::int16_t b, std::int16_t c) {
    return WhirlPinch(nullptr, 0, d1, d2, d3, a, b, c);
}
bool TVIkEffect::SelectImage(const TVIkPoint* p, int n, std::int16_t a, std::int16_t b, std::int16_t c) {
    return selection(IkSelectImageEx, p, n, low8(a), low8(b), low8(c));
}
bool TVIkEffect::SelectImage(std::int16_t a, std::int16_t b, std::int16_t c) { return SelectImage(nullptr, 0, a, b, c); }
bool TVIkEffect::AutoSelectImage(const TVIkPoint* p, int n, std::int16_t a, std::int16_t b, std::int16_t c,
                                 std::int16_t d, std::int16_t e) {
    return selection(IkAutoSelectImageEx, p, n, low8(a), low8(b), low8(c), low8(d), low8(e));
}
bool TVIkEffect::AutoSelectImage(std::int16_t a, std::int16_t b, std::int16_t c, std::int16_t d, std::int16_t e) {
    return AutoSelectImage(nullptr, 0, a, b, c, d, e);
}

// ---- pixel access -------------------------------------------------------------------

bool TVIkEffect::StartDibAccess(IKHANDLE image, std::int32_t& index) {
    if (!IkStartDibAccess) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    index = 0;
    if (image == 0) {
        ErrorCode_ = kStatusNoImage;
        return false;
    }
    int free = -1;
    for (int i = 0; i < kAccessSlots; ++i) {
        if (accessImages_[static_cast<std::size_t>(i)] == image) {
            ErrorCode_ = kStatusBadArgument;
            return false;
        }
        if (free < 0 && accessImages_[static_cast<std::size_t>(i)] == 0) free = i;
    }
    if (free < 0) {
        ErrorCode_ = kStatusBadArgument;
        return false;
    }
    // The slot stays taken even when the library refuses the image.
    accessImages_[static_cast<std::size_t>(free)] = image;
    const bool ok = IkStartDibAccess(image, accessRecords_[static_cast<std::size_t>(free)].data()) != 0;
    index = free;
    takeStatus();
    return ok;
}

bool TVIkEffect::slotReady(std::int32_t index) {
    if (index < 0 || index >= kAccessSlots || accessImages_[static_cast<std::size_t>(index)] == 0) {
        ErrorCode_ = kStatusBadArgument;
        return false;
    }
    return true;
}

bool TVIkEffect::GetDibPixel(std::int32_t index, std::int32_t x, std::int32_t y, std::uint8_t& c0, std::uint8_t& c1,
                             std::uint8_t& c2, std::uint8_t& c3) {
    if (!IkGetDibPixel) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    if (!slotReady(index)) return false;
    auto& record = accessRecords_[static_cast<std::size_t>(index)];
    const bool ok = IkGetDibPixel(record.data(), x, y) != 0;
    takeStatus();
    if (ok) {
        c0 = record[0];
        c1 = record[1];
        c2 = record[2];
        c3 = record[3];
    }
    return ok;
}

bool TVIkEffect::SetDibPixel(std::int32_t index, std::int32_t x, std::int32_t y, std::uint8_t c0, std::uint8_t c1,
                             std::uint8_t c2, std::uint8_t c3) {
    if (!IkSetDibPixel) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    if (!slotReady(index)) return false;
    auto& record = accessRecords_[static_cast<std::size_t>(index)];
    record[0] = c0;
    record[1] = c1;
    record[2] = c2;
    record[3] = c3;
    const bool ok = IkSetDibPixel(record.data(), x, y) != 0;
    takeStatus();
    return ok;
}

bool TVIkEffect::EndDibAccess(std::int32_t index) {
    if (!IkEndDibAccess) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    if (!slotReady(index)) return false;
    const auto slot = static_cast<std::size_t>(index);
    const bool ok = IkEndDibAccess(accessImages_[slot], accessRecords_[slot].data()) != 0;
    takeStatus();
    accessImages_[slot] = 0;
    return ok;
}

void TVIkEffect::About() { QMessageBox::about(nullptr, QStringLiteral("RoduvIzi7"), Ikinit::versionReport()); }
