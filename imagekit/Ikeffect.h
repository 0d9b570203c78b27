#pragma once
// TVIkEffect: the non-visual component that turns one image into another through
// Ik7Effect.so. The source (SrcImgHandle, SrcMaskHandle) is never changed or freed; the
// result lands in DestImgHandle (and DestMaskHandle) and belongs to the caller. A missing
// library function gives ErrorCode kStatusUnavailable without a call; otherwise ErrorCode
// is the library's status. Progress is relayed as in the file component.

#include "IkAttachment.h"
#include "IkProgressSlot.h"
#include "IkStatus.h"
#include "Ikinit.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

// Whether an area-limited filter changes the area or everything but the area.
enum TVIkInOutSelectMode : std::uint8_t { vikOutside = 0, vikInside = 1 };

// How a filter's area is given.
enum TVIkAreaSelectMode : std::uint8_t {
    vikEffectMask = 0,     // SrcMaskHandle
    vikEffectAll = 1,      // the whole image
    vikEffectPolygon = 2,  // the points handed to the filter
    vikEffectEllipse = 3,  // the ellipse in RectLeft … RectBottom
};

// A point of a polygon or curve, as the library takes it.
struct TVIkPoint {
    std::int32_t x, y;
};

class TVIkEffect : public QObject {
public:
    using TVIkProgressEvent = std::function<void(TVIkEffect* sender, std::int16_t percent)>;
    static constexpr int kAccessSlots = 10;

    explicit TVIkEffect(QObject* owner = nullptr);
    ~TVIkEffect() override;

    TVIkProgressEvent OnProgress;

    // Texts of the library's own progress window; when all are empty the component
    // relays progress through OnProgress instead.
    const QString& ButtonName() const { return ButtonName_; }
    void SetButtonName(const QString& text) { ButtonName_ = text; }
    const QString& Caption() const { return Caption_; }
    void SetCaption(const QString& text) { Caption_ = text; }
    const QString& Message() const { return Message_; }
    void SetMessage(const QString& text) { Message_ = text; }
    bool Cancel() const { return Cancel_; }
    void SetCancel(bool value) { Cancel_ = value; }

    std::uint16_t ErrorCode() const { return ErrorCode_; }
    IKHANDLE SrcImgHandle() const { return SrcImgHandle_; }
    void SetSrcImgHandle(IKHANDLE image) { SrcImgHandle_ = image; }
    IKHANDLE SrcMaskHandle() const { return SrcMaskHandle_; }
    void SetSrcMaskHandle(IKHANDLE image) { SrcMaskHandle_ = image; }
    TVIkInOutSelectMode InOut() const { return InOut_; }
    void SetInOut(TVIkInOutSelectMode mode) { InOut_ = mode; }
    IKHANDLE DestImgHandle() const { return DestImgHandle_; }
    void SetDestImgHandle(IKHANDLE image) { DestImgHandle_ = image; }
    IKHANDLE DestMaskHandle() const { return DestMaskHandle_; }
    void SetDestMaskHandle(IKHANDLE image) { DestMaskHandle_ = image; }
    std::int32_t RectLeft() const { return RectLeft_; }
    void SetRectLeft(std::int32_t v) { RectLeft_ = v; }
    std::int32_t RectTop() const { return RectTop_; }
    void SetRectTop(std::int32_t v) { RectTop_ = v; }
    std::int32_t RectRight() const { return RectRight_; }
    void SetRectRight(std::int32_t v) { RectRight_ = v; }
    std::int32_t RectBottom() const { return RectBottom_; }
    void SetRectBottom(std::int32_t v) { RectBottom_ = v; }
    TVIkAreaSelectMode SelectMode() const { return SelectMode_; }
    void SetSelectMode(TVIkAreaSelectMode mode) { SelectMode_ = mode; }
    bool LayerOption() const { return LayerOption_; }
    void SetLayerOption(bool value) { LayerOption_ = value; }

    // Operations the application uses.
    // bits: 1 (with threshold), 4, 8, 16, 24, 32, or 80 for 8-bit grey.
    bool ConvertColor(std::int16_t bits, bool flag1, bool flag2, std::int16_t threshold);
    // angle in 1/100 degree, positive counter-clockwise; red, green, blue: uncovered area.
    bool Rotation(std::int32_t angle, bool flag1, bool flag2, bool flag3, std::int16_t red, std::int16_t green,
                  std::int16_t blue, bool flag4);
    // The rectangle RectLeft … RectBottom.
    bool CutRectImage();

    // Other whole-image operations.
    bool Resize(std::int32_t width, std::int32_t height, bool flag);
    bool SetGray();
    bool Affine(std::int32_t v1, std::int32_t v2, std::int32_t v3, std::int32_t v4, std::int32_t v5, std::int32_t v6,
                std::int32_t v7, std::int32_t v8);
    bool MakeRGBAImage();
    bool SplitRGBAImage();
    bool RasterToVector(IKHANDLE image, bool flag, std::int16_t value, std::int32_t number);
    bool Layer(IKHANDLE image1, IKHANDLE image2, std::int16_t value, bool flag1, std::int16_t a1, std::int16_t a2,
               std::int16_t a3, std::int16_t a4, std::int16_t a5, std::int16_t a6, std::int32_t n1, std::int32_t n2,
               bool flag2);
    bool Panorama(IKHANDLE image1, IKHANDLE image2, std::int16_t value, std::int32_t n1, std::int32_t n2,
                  std::int32_t n3, std::int32_t n4, std::int32_t n5, std::int32_t n6, std::int32_t n7, std::int32_t n8,
                  std::int16_t a1, std::int16_t a2, std::int16_t a3);
    bool PasteImage(IKHANDLE image, std::int32_t n, bool flag1, bool flag2, std::int16_t value, bool flag3,
                    std::int16_t a1, std::int16_t a2, std::int16_t a3, std::int16_t a4, std::int16_t a5,
                    std::int16_t a6, std::int32_t n1, std::int32_t n2, bool flag4);
    bool SetSecretImage(IKHANDLE image1, IKHANDLE image2, const QString& text1, const QString& text2,
                        std::int16_t value, bool f1, bool f2, bool f3, bool f4, std::int16_t value8, std::int32_t n1,
                        std::int32_t n2, std::int32_t n3, std::int32_t n4, std::int32_t n5, std::int32_t n6);
    bool CheckSecretImage(IKHANDLE image1, IKHANDLE image2, std::int32_t n);

    // Area-limited filters: with points (used in vikEffectPolygon mode) and without.
    bool AntiAlias(const TVIkPoint* points, int count);
    bool AntiAlias();
    bool Blur(const TVIkPoint* points, int count, std::int16_t strength);
    bool Blur(std::int16_t strength);
    bool Sharp(const TVIkPoint* points, int count, std::int16_t strength);
    bool Sharp(std::int16_t strength);
    bool Canvas(const TVIkPoint* points, int count, std::int16_t a, std::int16_t b);
    bool Canvas(std::int16_t a, std::int16_t b);
    bool OilPaint(const TVIkPoint* points, int count, std::int16_t a, std::int16_t b);
    bool OilPaint(std::int16_t a, std::int16_t b);
    bool RemoveNoise(const TVIkPoint* points, int count, std::int16_t a, std::int16_t b);
    bool RemoveNoise(std::int16_t a, std::int16_t b);
    bool Chroma(const TVIkPoint* points, int count, std::int32_t value);
    bool Chroma(std::int32_t value);
    bool CustomFilter(const TVIkPoint* points, int count, const std::int32_t* matrix, std::int16_t a, std::int16_t b,
                      bool f1, bool f2, bool f3);
    bool CustomFilter(const std::int32_t* matrix, std::int16_t a, std::int16_t b, bool f1, bool f2, bool f3);
    bool Emboss(const TVIkPoint* points, int count, std::int16_t a, std::int16_t b, std::int16_t c);
    bool Emboss(std::int16_t a, std::int16_t b, std::int16_t c);
    bool Outline(const TVIkPoint* points, int count, std::int16_t a, std::int16_t b, std::int16_t c);
    bool Outline(std::int16_t a, std::int16_t b, std::int16_t c);
    bool GlassTile(const TVIkPoint* points, int count, std::int32_t a, std::int32_t b);
    bool GlassTile(std::int32_t a, std::int32_t b);
    bool Mosaic(const TVIkPoint* points, int count, std::int32_t a, std::int32_t b);
    bool Mosaic(std::int32_t a, std::int32_t b);
    bool Lens(const TVIkPoint* points, int count, double d, bool flag, std::int16_t a, std::int16_t b, std::int16_t c);
    bool Lens(double d, bool flag, std::int16_t a, std::int16_t b, std::int16_t c);
    bool MotionBlur(const TVIkPoint* points, int count, std::int16_t a, std::int16_t b, std::int32_t n);
    bool MotionBlur(std::int16_t a, std::int16_t b, std::int32_t n);
    bool RGBGamma(const TVIkPoint* points, int count, double r, double g, double b);
    bool RGBGamma(double r, double g, double b);
    bool YCCGamma(const TVIkPoint* points, int count, double y, double c1, double c2);
    bool YCCGamma(double y, double c1, double c2);
    bool RGBLevel(const TVIkPoint* points, int count, std::int32_t r, std::int32_t g, std::int32_t b);
    bool RGBLevel(std::int32_t r, std::int32_t g, std::int32_t b);
    bool YCCLevel(const TVIkPoint* points, int count, std::int32_t y, std::int32_t c1, std::int32_t c2);
    bool YCCLevel(std::int32_t y, std::int32_t c1, std::int32_t c2);
    bool RGBRev(const TVIkPoint* points, int count, bool r, bool g, bool b);
    bool RGBRev(bool r, bool g, bool b);
    bool YCCRev(const TVIkPoint* points, int count, bool y, bool c1, bool c2);
    bool YCCRev(bool y, bool c1, bool c2);
    bool RGBSpline(const TVIkPoint* points, int count, const TVIkPoint* curve, int curveCount, bool r, bool g, bool b);
    bool RGBSpline(const TVIkPoint* curve, int curveCount, bool r, bool g, bool b);
    bool YCCSpline(const TVIkPoint* points, int count, const TVIkPoint* curve, int curveCount, bool y, bool c1, bool c2);
    bool YCCSpline(const TVIkPoint* curve, int curveCount, bool y, bool c1, bool c2);
    bool Ripple(const TVIkPoint* points, int count, double d1, double d2, double d3, bool f1, bool f2, std::int16_t a,
                std::int16_t b, std::int16_t c);
    bool Ripple(double d1, double d2, double d3, bool f1, bool f2, std::int16_t a, std::int16_t b, std::int16_t c);
    bool UnifyColor(const TVIkPoint* points, int count, std::int16_t a, std::int16_t b, std::int16_t c, std::int16_t d);
    bool UnifyColor(std::int16_t a, std::int16_t b, std::int16_t c, std::int16_t d);
    bool RedEyeRemoval(const TVIkPoint* points, int count, std::int16_t a, std::int16_t b, std::int16_t c, std::int16_t d);
    bool RedEyeRemoval(std::int16_t a, std::int16_t b, std::int16_t c, std::int16_t d);
    bool Waves(const TVIkPoint* points, int count, std::int16_t a, std::int16_t b, std::int32_t n1, std::int32_t n2,
               double d, std::int16_t c1, std::int16_t c2, std::int16_t c3, std::int16_t c4);
    bool Waves(std::int16_t a, std::int16_t b, std::int32_t n1, std::int32_t n2, double d, std::int16_t c1,
               std::int16_t c2, std::int16_t c3, std::int16_t c4);
    bool WhirlPinch(const TVIkPoint* points, int count, double d1, double d2, double d3, std::int16_t a, std::int16_t b,
                    std::int16_t c);
    bool WhirlPinch(double d1, double d2, double d3, std::int16_t a, std::int16_t b, std::int16_t c);

    // Area selection: the selection mask goes to DestMaskHandle.
    bool SelectImage(const TVIkPoint* points, int count, std::int16_t a, std::int16_t b, std::int16_t c);
    bool SelectImage(std::int16_t a, std::int16_t b, std::int16_t c);
    bool AutoSelectImage(const TVIkPoint* points, int count, std::int16_t a, std::int16_t b, std::int16_t c,
                         std::int16_t d, std::int16_t e);
    bool AutoSelectImage(std::int16_t a, std::int16_t b, std::int16_t c, std::int16_t d, std::int16_t e);

    // Pixel access through ten slots; c0 … c3 are the pixel's packed value bytes.
    bool StartDibAccess(IKHANDLE image, std::int32_t& index);
    bool GetDibPixel(std::int32_t index, std::int32_t x, std::int32_t y, std::uint8_t& c0, std::uint8_t& c1,
                     std::uint8_t& c2, std::uint8_t& c3);
    bool SetDibPixel(std::int32_t index, std::int32_t x, std::int32_t y, std::uint8_t c0, std::uint8_t c1,
                     std::uint8_t c2, std::uint8_t c3);
    bool EndDibAccess(std::int32_t index);

    void About();

protected:
    virtual void DoProgress(std::int16_t percent);

private:
    struct Tail;
    template <typename R, typename Call>
    R withProgress(Call call);
    template <typename Entry, typename... Params>
    bool areaFilter(Entry entry, const TVIkPoint* points, int count, Params... params);
    template <typename Entry, typename... Params>
    bool selection(Entry entry, const TVIkPoint* points, int count, Params... params);
    bool keepImage(IKHANDLE image);
    bool slotReady(std::int32_t index);
    bool areaCallAllowed(bool hasEntry, const TVIkPoint* points, int count);
    void takeStatus();
    static IKBOOL flagOf(bool value) { return value ? IK_TRUE : IK_FALSE; }
    static std::uint8_t low8(std::int32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }
    friend class IkProgressSlot<TVIkEffect>;

    IkAttachment attachment_;
    QString ButtonName_;
    bool Cancel_ = false;
    QString Caption_;
    std::uint16_t ErrorCode_ = kStatusOk;
    IKHANDLE SrcImgHandle_ = 0;
    IKHANDLE SrcMaskHandle_ = 0;
    TVIkInOutSelectMode InOut_ = vikOutside;
    QString Message_;
    IKHANDLE DestImgHandle_ = 0;
    IKHANDLE DestMaskHandle_ = 0;
    std::int32_t RectLeft_ = 0, RectTop_ = 0, RectRight_ = 0, RectBottom_ = 0;
    TVIkAreaSelectMode SelectMode_ = vikEffectMask;
    bool LayerOption_ = false;
    std::array<std::array<std::uint8_t, IK_DIBACCESS_RECORD>, kAccessSlots> accessRecords_{};
    std::array<IKHANDLE, kAccessSlots> accessImages_{};
    std::int16_t lastPercent_ = 0;

    // The class's single progress owner slot.
};
