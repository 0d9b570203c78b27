#pragma once
// Releasing an image the program holds: the common component is pointed at it and frees it.
// An empty handle does nothing.

#include "Ikcommon.h"

namespace app {

inline void releaseImage(TVIkCommon& common, IKHANDLE image) {
    if (!image) return;
    common.SetImgHandle(image);
    common.FreeMemory();
}

}  // namespace app
