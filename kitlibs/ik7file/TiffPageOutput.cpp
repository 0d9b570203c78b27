#include "TiffPageOutput.h"

#include "AtomicOutput.h"
#include "DecodeLimits.h"
#include "KitCall.h"
#include "TiffChain.h"
#include "TiffHandle.h"

#include <unistd.h>

namespace kit {
namespace {

// The page into the current directory, and the directory closed; IK_OK or a failure status.
std::uint16_t writeDirectory(TIFF* tif, const TiffPageWriter& writer, Progress& progress) {
    std::uint16_t status = writer(tif, progress);
    if (status == IK_OK && (!TIFFWriteDirectory(tif) || !TIFFFlush(tif))) status = IK_ERR_FILE_WRITE;
    if (progress.stopped()) status = IK_ERR_CANCELLED;
    return status;
}

IKBOOL appendPage(const char* path, const TiffPageWriter& writer, Progress& progress) {
    // Only a well-formed TIFF is appended to; anything else is left untouched.
    const std::optional<TiffAppendPoint> point = findAppendPoint(path);
    if (!point || !openTiff(path, "r")) return fail(IK_ERR_FILE_READ, IK_FALSE);
    TiffPtr tif = openTiff(path, "a");
    if (!tif) return fail(IK_ERR_FILE_OPEN, IK_FALSE);
    const std::uint16_t status = writeDirectory(tif.get(), writer, progress);
    tif.reset();
    if (status == IK_OK) return IK_TRUE;
    undoAppend(path, *point);
    return fail(status, IK_FALSE);
}

IKBOOL writeNewFile(const char* path, const TiffPageWriter& writer, Progress& progress) {
    AtomicOutput output(path);
    if (!output.ready()) return fail(IK_ERR_FILE_OPEN, IK_FALSE);
    const int fd = output.takeDescriptor();
    TiffPtr tif = fd >= 0 ? openTiffDescriptor(fd, output.path(), "w") : nullptr;
    if (!tif) {
        if (fd >= 0) ::close(fd);
        return fail(IK_ERR_FILE_OPEN, IK_FALSE);
    }
    const std::uint16_t status = writeDirectory(tif.get(), writer, progress);
    tif.reset();
    if (status != IK_OK) return fail(status, IK_FALSE);
    return output.commit() ? IK_TRUE : fail(IK_ERR_FILE_WRITE, IK_FALSE);
}

}  // namespace

IKBOOL writeTiffPage(const char* path, bool append, const TiffPageWriter& writer, Progress& progress) {
    if (append && fileSizeOf(path) >= 0) return appendPage(path, writer, progress);
    return writeNewFile(path, writer, progress);
}

}  // namespace kit
