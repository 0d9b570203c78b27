#include "Ikcommon.h"

#include "platform/GlobalMemory.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

using namespace Ikdllprocs;

TVIkCommon::TVIkCommon(QObject* owner) : QObject(owner), attachment_(vikGroupMain) {}

TVIkCommon::~TVIkCommon() {
    Picture_ = QImage();
    if (ImgHandle_ != 0 && IkFreeMemory) IkFreeMemory(ImgHandle_);
    // attachment_ detaches from the kit after this body.
}

void TVIkCommon::SetXdpi(std::int32_t dpi) {
    if (dpi >= 0) Xdpi_ = dpi;
}

void TVIkCommon::SetYdpi(std::int32_t dpi) {
    if (dpi >= 0) Ydpi_ = dpi;
}

void TVIkCommon::takeStatus() {
    if (IkGetErrorStatus) ErrorCode_ = IkGetErrorStatus();
}

void* TVIkCommon::window() const {
    if (auto* widget = qobject_cast<QWidget*>(parent())) return widget->window();
    if (QWidget* active = QApplication::activeWindow()) return active;
    const QWidgetList tops = QApplication::topLevelWidgets();
    return tops.isEmpty() ? nullptr : tops.first();
}

bool TVIkCommon::GetImageType() {
    if (!ready(IkGetImageType)) return false;
    IKIMAGEINFO info{};
    const bool ok = IkGetImageType(ImgHandle_, &info) != 0;
    takeStatus();
    if (ok) {
        ValueA_ = info.valueA;
        ValueB_ = info.valueB;
        ValueC_ = info.valueC;
        Xdpi_ = info.xdpi;
        Ydpi_ = info.ydpi;
        ImgWidth_ = info.width;
        ImgHeight_ = info.height;
        ValueD_ = info.valueD;
        FlagE_ = info.flagE != 0;
        ValueF_ = info.valueF;
        ImageKind_ = static_cast<TVIkImageKind>(info.kind);
    }
    return ok;
}

bool TVIkCommon::FreeMemory() {
    if (!IkGetImageType || !ready(IkFreeMemory)) {
        ErrorCode_ = kStatusUnavailable;
        return false;
    }
    // Only a live image of a known kind is freed, so an invalid handle is never passed on.
    IKIMAGEINFO info{};
    const bool known = IkGetImageType(ImgHandle_, &info) != 0;
    takeStatus();
    if (!known || info.kind == vikInvalidImage) return false;
    const bool ok = IkFreeMemory(ImgHandle_) != 0;
    takeStatus();
    ImgHandle_ = 0;
    return ok;
}

bool TVIkCommon::GetDpi() {
    if (!ready(IkGetDpi)) return false;
    const bool ok = IkGetDpi(ImgHandle_, &Xdpi_, &Ydpi_) != 0;
    takeStatus();
    return ok;
}

bool TVIkCommon::SetDpi() {
    if (!ready(IkSetDpi)) return false;
    const bool ok = IkSetDpi(ImgHandle_, Xdpi_, Ydpi_) != 0;
    takeStatus();
    return ok;
}

bool TVIkCommon::GetDpiFromHdc(void* dc) {
    if (!ready(IkGetDpiFromHdc)) return false;
    const bool ok = IkGetDpiFromHdc(dc, &Xdpi_, &Ydpi_) != 0;
    takeStatus();
    return ok;
}

IKHANDLE TVIkCommon::CopyImage() {
    if (!ready(IkCopyImage)) return 0;
    const IKHANDLE copy = IkCopyImage(ImgHandle_);
    takeStatus();
    return copy;
}

bool TVIkCommon::CreateImage(std::int32_t width, std::int32_t height, std::int16_t bits, std::int16_t red,
                             std::int16_t green, std::int16_t blue) {
    if (!ready(IkCreateImage)) return false;
    ImgHandle_ = IkCreateImage(width, height, static_cast<std::uint16_t>(bits), static_cast<std::uint8_t>(red),
                               static_cast<std::uint8_t>(green), static_cast<std::uint8_t>(blue), 0, 0, 0, 0);
    takeStatus();
    return ImgHandle_ != 0;
}

bool TVIkCommon::CreateVectImage(std::int32_t v1, std::int32_t v2, std::int32_t v3, std::int32_t v4) {
    if (!ready(IkCreateVectImage)) return false;
    ImgHandle_ = IkCreateVectImage(v1, v2, v3, v4);
    takeStatus();
    return ImgHandle_ != 0;
}

bool TVIkCommon::CreateVectImageEx(TVIkCreateVectImage kind, std::int32_t v1, std::int32_t v2, std::int32_t v3,
                                   std::int32_t v4) {
    if (!ready(IkCreateVectImageEx)) return false;
    ImgHandle_ = IkCreateVectImageEx(kind, v1, v2, v3, v4);
    takeStatus();
    return ImgHandle_ != 0;
}

bool TVIkCommon::VectToDib(IKHANDLE vector, std::int16_t bits, bool flag, std::int16_t red, std::int16_t green,
                           std::int16_t blue) {
    if (!ready(IkVectorToRaster)) return false;
    ImgHandle_ = IkVectorToRaster(vector, static_cast<std::uint16_t>(bits), flagOf(flag),
                                  static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                                  static_cast<std::uint8_t>(blue));
    takeStatus();
    return ImgHandle_ != 0;
}

bool TVIkCommon::DrawVectObject(void* dc, std::int32_t v1, std::int32_t v2, std::int32_t v3, std::int32_t v4,
                                double d1, double d2, bool flag) {
    if (!ready(IkDrawVectObject)) return false;
    const bool ok = IkDrawVectObject(dc, ImgHandle_, v1, v2, v3, v4, d1, d2, flagOf(flag)) != 0;
    takeStatus();
    return ok;
}

std::uint32_t TVIkCommon::GetMemorySize() {
    // ErrorCode is not reset before this call.
    if (!IkGetMemorySize) {
        ErrorCode_ = kStatusUnavailable;
        return 0;
    }
    const std::uint32_t size = IkGetMemorySize(ImgHandle_);
    takeStatus();
    return size;
}

bool TVIkCommon::GetOneBitPalCount(std::int32_t& first, std::int32_t& second) {
    if (!ready(IkGetOneBitPalCount)) return false;
    const bool ok = IkGetOneBitPalCount(ImgHandle_, &first, &second) != 0;
    takeStatus();
    return ok;
}

bool TVIkCommon::GetPalette(std::uint16_t* red, std::uint16_t* green, std::uint16_t* blue) {
    if (!ready(IkGetPalette)) return false;
    const bool ok = IkGetPalette(ImgHandle_, red, green, blue) != 0;
    takeStatus();
    return ok;
}

bool TVIkCommon::SetPalette(const std::uint16_t* red, const std::uint16_t* green, const std::uint16_t* blue) {
    if (!ready(IkSetPalette)) return false;
    const bool ok = IkSetPalette(ImgHandle_, red, green, blue) != 0;
    takeStatus();
    return ok;
}

std::int32_t TVIkCommon::GetSystemPalette() {
    if (!ready(IkGetSystemPalette)) return -1;
    const std::int32_t value = IkGetSystemPalette();
    takeStatus();
    return value;
}

void* TVIkCommon::BitmapFromDib() {
    if (!ready(IkBitmapFromDib)) return nullptr;
    void* bitmap = IkBitmapFromDib(ImgHandle_);
    takeStatus();
    return bitmap;
}

bool TVIkCommon::DibFromBitmap(void* bitmap, void* palette) {
    if (!ready(IkDibFromBitmap)) return false;
    ImgHandle_ = IkDibFromBitmap(bitmap, palette);
    takeStatus();
    return ImgHandle_ != 0;
}

bool TVIkCommon::DeleteBitmapObject(void* object) {
    if (!ready(IkDeleteBitmapObject)) return false;
    const bool ok = IkDeleteBitmapObject(object) != 0;
    takeStatus();
    return ok;
}

bool TVIkCommon::SetToClipBrd() {
    if (!ready(IkSetToClipBrd)) return false;
    const bool ok = IkSetToClipBrd(window(), ImgHandle_, 0, 0, 0, 0) != 0;
    takeStatus();
    return ok;
}

bool TVIkCommon::GetFromClipBrd() {
    if (!ready(IkGetFromClipBrd)) return false;
    ImgHandle_ = IkGetFromClipBrd(window(), 0, 0, 0, 0);
    takeStatus();
    return ImgHandle_ != 0;
}

bool TVIkCommon::IsClipBrdData() {
    if (!ready(IkIsClipBrdData)) return false;
    const bool ok = IkIsClipBrdData(window()) != 0;
    takeStatus();
    return ok;
}

void TVIkCommon::ClearClipBrd() {
    if (!ready(IkClearClipBrd)) return;
    IkClearClipBrd(window());
    takeStatus();
}

void TVIkCommon::About() {
    QMessageBox::about(static_cast<QWidget*>(window()), QStringLiteral("RoduvIzi7"), Ikinit::versionReport());
}

QImage TVIkCommon::Picture() {
    if (!IkGetImageType || !IkBitmapFromDib || !Ikdllprocs::CreateBIPalette || ImgHandle_ == 0) return Picture_;
    IKIMAGEINFO info{};
    if (!IkGetImageType(ImgHandle_, &info) || info.kind == vikInvalidImage) return Picture_;
    // Vector images have no picture form here: Qt has no enhanced-metafile object.
    if (info.kind == vikRasterImage) {
        platform::GlobalLock lock(ImgHandle_);
        if (!lock) return Picture_;
        void* bitmap = IkBitmapFromDib(ImgHandle_);
        void* palette = Ikdllprocs::CreateBIPalette(lock.data());
        if (bitmap) Picture_ = *static_cast<QImage*>(bitmap);
        // The picture keeps its own copy; the kit objects are released at once.
        if (IkDeleteBitmapObject) {
            if (bitmap) IkDeleteBitmapObject(bitmap);
            if (palette) IkDeleteBitmapObject(palette);
        }
    }
    return Picture_;
}

void TVIkCommon::SetPicture(const QImage& picture) {
    if (!IkDibFromBitmap || !IkFreeMemory) return;
    if (ImgHandle_ != 0) IkFreeMemory(ImgHandle_);
    ImgHandle_ = 0;
    Picture_ = QImage();
    if (picture.isNull() || picture.width() == 0 || picture.height() == 0) return;
    QImage copy = picture;
    ImgHandle_ = IkDibFromBitmap(&copy, nullptr);
    if (ImgHandle_ != 0) Picture_ = copy;
}
