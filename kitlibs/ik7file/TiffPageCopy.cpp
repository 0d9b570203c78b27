// Copying one stored TIFF page into another TIFF, as a new file or appended.
#include "KitCall.h"
#include "StoredTiffPage.h"
#include "TiffPageOutput.h"

IK_API IKBOOL IKTiffPageCopy(const char* source, int32_t page, const char* target, IKBOOL append,
                             const char* comment, IKPROGRESSPROC progress, const char*, const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!source || !*source || !target || !*target || page < 0) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        // Everything is checked before the target is touched.
        const std::unique_ptr<kit::StoredTiffPage> stored = kit::StoredTiffPage::open(source, page);
        if (!stored) return IK_FALSE;
        kit::Progress relay(progress);
        return kit::writeTiffPage(target, append != 0, [&](TIFF* tif, kit::Progress& p) {
            return stored->write(tif, comment, p);
        }, relay);
    });
}
