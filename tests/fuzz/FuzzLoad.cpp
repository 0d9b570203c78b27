// libFuzzer target for the decoders of Ik7File.so, one build per format (FUZZ_FORMAT).
// The input is handed over as a file (a memory file named through /proc), exactly as the
// program hands over paths, and goes through what a dropped file meets: the file facts,
// the load of that format (or the generic load), the reduced load a thumbnail makes and the
// EXIF reader, all on one input. TIFF inputs are also copied page for page as stored.
#include "ik7kit.h"
#include "platform/GlobalMemory.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace {

IKHANDLE loadAs(const char* path) {
    const std::string format = FUZZ_FORMAT;
    if (format == "tiff") return IKTiffFileLoad(path, 0, nullptr, "", "", "");
    if (format == "jpeg") return IKJpegFileLoad(path, nullptr, "", "", "");
    if (format == "png") return IKPngFileLoadEx(path, 2, nullptr, "", "", "");
    if (format == "gif") return IKGifFileLoad(path, 0, nullptr, "", "", "");
    if (format == "bmp") return IKBmpFileLoad(path, nullptr, "", "", "");
    if (format == "pcx") return IKPcxFileLoad(path, nullptr, "", "", "");
    if (format == "j2k") return IKJ2kFileLoad(path, nullptr, "", "", "");
    if (format == "fpx") return IKFpxFileLoad(path, 0, nullptr, "", "", "");
    return IKFileLoad(path, 0, 0, 0, nullptr, "", "", "");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const int fd = memfd_create("fuzz-input", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0) return 0;
    if (size && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    IKFILEINFO info{};
    IKFileType(path.c_str(), 0, &info);
    if (const IKHANDLE image = loadAs(path.c_str())) platform::globalFree(image);
    if (const IKHANDLE thumbnail = IKFileLoadReduced(path.c_str(), 0, 120, 120, nullptr)) platform::globalFree(thumbnail);
    IKEXIFINFO exif{};
    if (IKJpegExifInfo(path.c_str(), &exif) && exif.thumbnail) platform::globalFree(exif.thumbnail);
    if (std::string(FUZZ_FORMAT) == "tiff") {
        static const std::string copy = "/tmp/fuzz-page-copy-" + std::to_string(getpid()) + ".tif";
        IKTiffPageCopy(path.c_str(), 0, copy.c_str(), IK_FALSE, "", nullptr, "", "", "");
        std::remove(copy.c_str());
    }
    // FlashPix: the memory form and a reduced level too.
    if (std::string(FUZZ_FORMAT) == "fpx" && size > 0 && size < 0x7FFFFFFF)
        if (const IKHANDLE level = IKFpxFileLoadMem(data, static_cast<std::int32_t>(size), 1, nullptr, "", "", ""))
            platform::globalFree(level);
    // Freed page blocks kept for reuse would outlive the run and read as leaks.
    platform::globalReleaseCache();
    return 0;
}
