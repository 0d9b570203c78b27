#pragma once
// What the strip coder benchmarks share: a page made by ImageMagick and read back as raw
// rows, a TIFF opened for one page of given layout, strips written as they are or coded by
// libtiff, the counters of a coding run, and the page saved through the kit again and again.

#include "IkAttachment.h"
#include "Ikdllprocs.h"

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace coderbench {

// Runs `convert <make> '<file>'`, then `convert '<file>' <rawOptions> <rawFormat>:'<file>.raw'`
// and returns the raw bytes (empty when ImageMagick failed).
inline std::vector<std::uint8_t> makePage(const std::string& make, const std::string& file,
                                          const std::string& rawOptions, const std::string& rawFormat) {
    std::system(("convert " + make + " '" + file + "'").c_str());
    std::system(("convert '" + file + "' " + rawOptions + " " + rawFormat + ":'" + file + ".raw'").c_str());
    std::ifstream in(file + ".raw", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The content argument of a white page with a line of Latin text every `step` pixels.
inline std::string textLines(const std::string& font, int x, int first, int last, int step, const std::string& line) {
    std::string lines = "xc:white " + font;
    for (int y = first; y < last; y += step) lines += " -annotate +" + std::to_string(x) + "+" + std::to_string(y) + " '" + line + "'";
    return lines;
}

struct Layout {
    std::uint32_t width, height;
    std::uint16_t bits, samples, photometric, compression;
};

// A new TIFF at `path` with one page of `layout` in strips of `rows` rows; null on failure.
inline TIFF* openPage(const std::string& path, const Layout& layout, std::uint32_t rows) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) return nullptr;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, layout.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, layout.height);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, layout.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, layout.samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, layout.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, layout.compression);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
    return tif;
}

// Strips already coded, written as they are; their bytes together.
inline std::uint64_t writeCodedStrips(TIFF* tif, const std::vector<std::pair<const void*, std::size_t>>& strips) {
    std::uint64_t total = 0;
    for (std::size_t s = 0; s < strips.size(); ++s) {
        TIFFWriteRawStrip(tif, static_cast<std::uint32_t>(s), const_cast<void*>(strips[s].first), tmsize_t(strips[s].second));
        total += strips[s].second;
    }
    return total;
}

// Strips of rows coded by libtiff; their coded bytes together.
inline std::uint64_t writeLibtiffStrips(TIFF* tif, const std::vector<std::pair<const std::uint8_t*, std::size_t>>& strips) {
    std::uint64_t total = 0;
    for (std::size_t s = 0; s < strips.size(); ++s) {
        TIFFWriteEncodedStrip(tif, static_cast<std::uint32_t>(s), const_cast<std::uint8_t*>(strips[s].first),
                              tmsize_t(strips[s].second));
        total += TIFFGetStrileByteCount(tif, static_cast<std::uint32_t>(s));
    }
    return total;
}

// Processor seconds of every thread of the process so far.
inline double processSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs `code` each iteration; counters: the strip bytes it answers, and the processor
// milliseconds per page of all threads.
inline void measureCoding(benchmark::State& state, const std::function<std::uint64_t()>& code) {
    std::uint64_t bytes = 0;
    const double before = processSeconds();
    for (auto _ : state) bytes = code();
    state.counters["strip_bytes"] = double(bytes);
    state.counters["cpu_ms_all_threads"] = (processSeconds() - before) * 1000 / double(state.iterations());
}

// The file `source` loaded by the kit and saved as a TIFF page at `output` with the kit's
// `compression`, in one strip or in small strips, each iteration.
inline void saveRepeatedly(benchmark::State& state, const std::string& source, const std::string& output,
                           int compression, bool oneStrip) {
    IkAttachment attachment(vikGroupMain);
    const IKHANDLE image = Ikdllprocs::IkFileLoad(source.c_str(), 0, 0, 0, nullptr, "", "", "");
    if (!image) {
        state.SkipWithError("no page");
        return;
    }
    for (auto _ : state)
        if (!Ikdllprocs::IkTiffFileSave(output.c_str(), image, compression, 0, IK_FALSE, "",
                                        oneStrip ? IK_TRUE : IK_FALSE, nullptr, "", "", "")) {
            state.SkipWithError("save failed");
            break;
        }
    Ikdllprocs::IkFreeMemory(image);
}

}  // namespace coderbench
