// Copying stored TIFF pages into other TIFFs, as new files or appended.
#include "KitCall.h"
#include "StoredTiffSource.h"
#include "TiffPageOutput.h"

struct IKTiffSourceRec {
    std::unique_ptr<kit::StoredTiffSource> source;
};

namespace {

IKBOOL copyPage(kit::StoredTiffSource& source, int32_t page, const char* target, IKBOOL append, const char* comment,
                IKPROGRESSPROC progress) {
    if (!target || !*target || page < 0) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
    // Everything is checked before the target is touched.
    if (const std::uint16_t status = source.select(page); status != IK_OK) return kit::fail(status, IK_FALSE);
    kit::Progress relay(progress);
    return kit::writeTiffPage(target, append != 0, [&](TIFF* tif, kit::Progress& p) {
        return source.write(tif, comment, p);
    }, relay);
}

}  // namespace

IK_API IKBOOL IKTiffPageCopy(const char* source, int32_t page, const char* target, IKBOOL append,
                             const char* comment, IKPROGRESSPROC progress, const char*, const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!source || !*source || !target || !*target || page < 0) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        const std::unique_ptr<kit::StoredTiffSource> stored = kit::StoredTiffSource::open(source);
        if (!stored) return IK_FALSE;
        return copyPage(*stored, page, target, append, comment, progress);
    });
}

IK_API IKTIFFSOURCE IKTiffSourceOpen(const char* path) {
    return kit::guarded<IKTIFFSOURCE>(nullptr, [&]() -> IKTIFFSOURCE {
        std::unique_ptr<kit::StoredTiffSource> stored = kit::StoredTiffSource::open(path);
        if (!stored) return nullptr;
        return new IKTiffSourceRec{std::move(stored)};
    });
}

IK_API IKBOOL IKTiffSourcePageCopy(IKTIFFSOURCE source, int32_t page, const char* target, IKBOOL append,
                                   const char* comment, IKPROGRESSPROC progress, const char*, const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!source) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        return copyPage(*source->source, page, target, append, comment, progress);
    });
}

IK_API void IKTiffSourceClose(IKTIFFSOURCE source) {
    kit::guarded(0, [&] {
        delete source;
        return 0;
    });
}
