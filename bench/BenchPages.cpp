#include "BenchPages.h"

#include "Ikdllprocs.h"
#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

std::uint8_t* rowOf(platform::GlobalLock& lock, int y) {
    const auto& h = *lock.as<platform::BitmapInfoHeader>();
    const std::uint32_t stride = platform::dibStride(h.biWidth, h.biBitCount);
    return lock.as<std::uint8_t>() + platform::dibPixelOffset(h) + static_cast<std::size_t>(h.biHeight - 1 - y) * stride;
}

}  // namespace

IKHANDLE makeMonoPage() {
    const IKHANDLE page = Ikdllprocs::IkCreateImage(4960, 7016, 1, 255, 255, 255, 0, 0, 0, 0);
    platform::GlobalLock lock(page);
    std::mt19937 random(1);
    // Lines of "text": rows of short black runs with margins, like a printed page.
    for (int line = 400; line + 60 < 6600; line += 90)
        for (int y = line; y < line + 60; ++y) {
            std::uint8_t* row = rowOf(lock, y);
            for (int byte = 60; byte < 560; ++byte)
                if (random() % 3 == 0) row[byte] = static_cast<std::uint8_t>(random());
        }
    return page;
}

IKHANDLE makeColourPage() {
    const IKHANDLE page = Ikdllprocs::IkCreateImage(2480, 3508, 24, 255, 255, 255, 0, 0, 0, 0);
    platform::GlobalLock lock(page);
    std::mt19937 random(2);
    for (int y = 0; y < 3508; ++y) {
        std::uint8_t* row = rowOf(lock, y);
        for (int x = 0; x < 2480; ++x) {
            const int noise = static_cast<int>(random() % 16);
            row[3 * x] = static_cast<std::uint8_t>((x / 10 + noise) & 0xFF);
            row[3 * x + 1] = static_cast<std::uint8_t>((y / 14 + noise) & 0xFF);
            row[3 * x + 2] = static_cast<std::uint8_t>(((x + y) / 24) & 0xFF);
        }
    }
    return page;
}

bool writeRepeatedPageTiff(IKHANDLE page, int compression, const char* path, const char* tiffcpOptions, int pages) {
    const std::string one = std::string(path) + ".one.tif";
    if (!Ikdllprocs::IkTiffFileSave(one.c_str(), page, compression, 0, IK_FALSE, "", IK_TRUE, nullptr, nullptr, nullptr,
                                    nullptr))
        return false;
    std::string command = std::string("tiffcp ") + tiffcpOptions;
    for (int i = 0; i < pages; ++i) command += " '" + one + "'";
    command += " '" + std::string(path) + "'";
    const bool joined = std::system(command.c_str()) == 0;
    std::remove(one.c_str());
    return joined;
}

bool writeGroupFourAndJpegFiles(const char* groupFourPath, const char* jpegPath, int pages) {
    const IKHANDLE mono = makeMonoPage(), colour = makeColourPage();
    const bool made = writeRepeatedPageTiff(mono, 4, groupFourPath, "", pages) &&
                      writeRepeatedPageTiff(colour, 0, jpegPath, "-c jpeg:85 -r 64", pages);
    Ikdllprocs::IkFreeMemory(mono);
    Ikdllprocs::IkFreeMemory(colour);
    return made;
}
