#pragma once
// TVIkCommon: the non-visual component that holds one image handle and offers the kit's
// common operations on it. Every method looks at the function-table entry it needs
// first: an empty entry sets ErrorCode kStatusUnavailable and returns the failure value
// without a call; otherwise ErrorCode is kStatusOk before the call and the library's
// status after it.

#include "IkAttachment.h"
#include "IkStatus.h"
#include "Ikinit.h"

#include <QImage>
#include <QObject>

#include <cstdint>

class TVIkCommon : public QObject {
public:
    explicit TVIkCommon(QObject* owner = nullptr);
    ~TVIkCommon() override;

    // Image information copied by GetImageType.
    std::uint16_t ValueA() const { return ValueA_; }
    std::uint16_t ValueB() const { return ValueB_; }
    std::uint16_t ValueC() const { return ValueC_; }
    std::uint32_t ValueD() const { return ValueD_; }
    bool FlagE() const { return FlagE_; }
    std::uint32_t ValueF() const { return ValueF_; }
    TVIkImageKind ImageKind() const { return ImageKind_; }
    std::int32_t ImgWidth() const { return ImgWidth_; }
    std::int32_t ImgHeight() const { return ImgHeight_; }

    std::uint16_t ErrorCode() const { return ErrorCode_; }

    IKHANDLE ImgHandle() const { return ImgHandle_; }
    void SetImgHandle(IKHANDLE image) { ImgHandle_ = image; }

    // Resolution for SetDpi, filled by GetDpi, GetDpiFromHdc and GetImageType.
    // Negative values are ignored.
    std::int32_t Xdpi() const { return Xdpi_; }
    std::int32_t Ydpi() const { return Ydpi_; }
    void SetXdpi(std::int32_t dpi);
    void SetYdpi(std::int32_t dpi);

    bool GetImageType();
    // Frees ImgHandle when it is a live image of a known kind; ImgHandle becomes 0.
    bool FreeMemory();
    bool GetDpi();
    bool SetDpi();
    bool GetDpiFromHdc(void* dc);
    // A new copy owned by the caller, 0 on failure.
    IKHANDLE CopyImage();
    // ImgHandle becomes the new image; the previous handle is overwritten, not freed.
    bool CreateImage(std::int32_t width, std::int32_t height, std::int16_t bits, std::int16_t red,
                     std::int16_t green, std::int16_t blue);
    bool CreateVectImage(std::int32_t v1, std::int32_t v2, std::int32_t v3, std::int32_t v4);
    bool CreateVectImageEx(TVIkCreateVectImage kind, std::int32_t v1, std::int32_t v2, std::int32_t v3,
                           std::int32_t v4);
    bool VectToDib(IKHANDLE vector, std::int16_t bits, bool flag, std::int16_t red, std::int16_t green,
                   std::int16_t blue);
    bool DrawVectObject(void* dc, std::int32_t v1, std::int32_t v2, std::int32_t v3, std::int32_t v4, double d1,
                        double d2, bool flag);
    std::uint32_t GetMemorySize();
    bool GetOneBitPalCount(std::int32_t& first, std::int32_t& second);
    // Each array must hold the image's colour count (at most 256).
    bool GetPalette(std::uint16_t* red, std::uint16_t* green, std::uint16_t* blue);
    bool SetPalette(const std::uint16_t* red, const std::uint16_t* green, const std::uint16_t* blue);
    std::int32_t GetSystemPalette();
    // A bitmap object (QImage*) of the image, nullptr on failure; delete with DeleteBitmapObject.
    void* BitmapFromDib();
    bool DibFromBitmap(void* bitmap, void* palette);
    bool DeleteBitmapObject(void* object);
    bool SetToClipBrd();
    bool GetFromClipBrd();
    bool IsClipBrdData();
    void ClearClipBrd();
    // Shows the kit's version window.
    void About();

    // The image as a Qt picture (unchanged stored picture when there is no raster image).
    QImage Picture();
    // Replaces (and frees) the image with the picture's; a null or empty picture leaves none.
    void SetPicture(const QImage& picture);

private:
    // kStatusUnavailable and false when the entry is empty; otherwise kStatusOk and true.
    template <typename Entry>
    bool ready(Entry entry) {
        if (!entry) {
            ErrorCode_ = kStatusUnavailable;
            return false;
        }
        ErrorCode_ = kStatusOk;
        return true;
    }
    void takeStatus();
    static IKBOOL flagOf(bool value) { return value ? IK_TRUE : IK_FALSE; }
    void* window() const;

    IkAttachment attachment_;
    std::uint16_t ValueA_ = 0;
    std::uint16_t ErrorCode_ = kStatusOk;
    bool FlagE_ = false;
    TVIkImageKind ImageKind_ = vikInvalidImage;
    std::uint32_t ValueF_ = 0;
    IKHANDLE ImgHandle_ = 0;
    std::int32_t ImgHeight_ = 0;
    std::int32_t ImgWidth_ = 0;
    std::uint16_t ValueC_ = 0;
    std::uint16_t ValueB_ = 0;
    QImage Picture_;
    std::uint32_t ValueD_ = 0;
    std::int32_t Xdpi_ = 0;
    std::int32_t Ydpi_ = 0;
};
