// Conversion between image handles and Qt images (the framework's bitmaps).
#include "DibImage.h"
#include "KitCall.h"
#include "KitObjects.h"

using namespace kit;

IK_API IKHANDLE IKDibFromBitmap(void* bitmap, void* palette) {
    return guarded<IKHANDLE>(0, [&]() -> IKHANDLE {
        if (!bitmap) return fail<IKHANDLE>(IK_ERR_ARGUMENT, 0);
        return dibFromImage(*static_cast<const QImage*>(bitmap), static_cast<const QList<QRgb>*>(palette));
    });
}

IK_API void* IKBitmapFromDib(IKHANDLE image) {
    return guarded<void*>(nullptr, [&]() -> void* {
        QImage picture = imageFromDib(image);
        if (picture.isNull()) return nullptr;
        return registerBitmap(new QImage(std::move(picture)));
    });
}

IK_API IKBOOL IKDeleteBitmapObject(void* object) {
    return guarded(IK_FALSE, [&] { return deleteObject(object) ? IK_TRUE : fail(IK_ERR_ARGUMENT, IK_FALSE); });
}
