// The clipboard, through Qt's clipboard of the running application.
#include "DibImage.h"
#include "KitCall.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using namespace kit;

namespace {

// Null when no GUI application runs (the clipboard needs one).
QClipboard* clipboard() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

}  // namespace

IK_API IKBOOL IKSetToClipBrd(void*, IKHANDLE image, int32_t, int32_t, int32_t, int32_t) {
    return guarded(IK_FALSE, [&] {
        QClipboard* board = clipboard();
        if (!board) return fail(IK_ERR_CLIPBOARD, IK_FALSE);
        const QImage picture = imageFromDib(image);
        if (picture.isNull()) return IK_FALSE;
        board->setImage(picture);
        return IK_TRUE;
    });
}

IK_API IKHANDLE IKGetFromClipBrd(void*, int32_t, int32_t, int32_t, int32_t) {
    return guarded<IKHANDLE>(0, [&]() -> IKHANDLE {
        QClipboard* board = clipboard();
        if (!board) return fail<IKHANDLE>(IK_ERR_CLIPBOARD, 0);
        const QImage picture = board->image();
        if (picture.isNull()) return fail<IKHANDLE>(IK_ERR_CLIPBOARD, 0);
        return dibFromImage(picture, nullptr);
    });
}

IK_API IKBOOL IKIsClipBrdData(void*) {
    return guarded(IK_FALSE, [&] {
        QClipboard* board = clipboard();
        if (!board) return fail(IK_ERR_CLIPBOARD, IK_FALSE);
        const QMimeData* data = board->mimeData();
        return data && data->hasImage() ? IK_TRUE : IK_FALSE;
    });
}

IK_API IKBOOL IKClearClipBrd(void*) {
    return guarded(IK_FALSE, [&] {
        QClipboard* board = clipboard();
        if (!board) return fail(IK_ERR_CLIPBOARD, IK_FALSE);
        board->clear();
        return IK_TRUE;
    });
}
