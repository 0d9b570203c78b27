// Loads each file named on the command line through the kit, as the program does (facts,
// load of page 0, EXIF), and prints what each cost: status, size, seconds and the peak
// memory of the process so far. Used to check hostile files against the decode budget
// in a Release build: load_probe file…
#include "IkAttachment.h"
#include "Ikdllprocs.h"

#include <chrono>
#include <cstdio>

#include <sys/resource.h>

using namespace Ikdllprocs;

namespace {

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
    IkAttachment attachment(vikGroupMain);
    for (int i = 1; i < argc; ++i) {
        const auto start = std::chrono::steady_clock::now();
        IKFILEINFO info{};
        const bool facts = IkFileType(argv[i], 0, &info);
        const int factsStatus = IkGetErrorStatus();
        const IKHANDLE image = IkFileLoad(argv[i], 0, 0, 0, nullptr, "", "", "");
        const int loadStatus = IkGetErrorStatus();
        IKEXIFINFO exif{};
        if (IkJpegExifInfo(argv[i], &exif) && exif.thumbnail) IkFreeMemory(exif.thumbnail);
        IKIMAGEINFO shape{};
        if (image) IkGetImageType(image, &shape);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: facts %s (status %d, %d x %d, %d bits), load %s (status %d, %d x %d, %d bits), "
                    "%.2f s, peak %ld MB\n",
                    argv[i], facts ? "ok" : "failed", factsStatus, info.width, info.height, info.bitsPerPixel,
                    image ? "ok" : "failed", loadStatus, shape.width, shape.height, shape.valueA, seconds,
                    peakMegabytes());
        if (image) IkFreeMemory(image);
    }
    return 0;
}
