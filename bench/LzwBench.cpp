// LZW encoding of a 300-dpi A4 colour page (2480 × 3508 RGB, 26 MB) beside libtiff's own
// encoder in the same run: the page as one strip and as strips of about 8 KB, written to a
// TIFF file; then the page saved through IKTiffFileSave. Two pages: a decoded JPEG photo and
// a decoded JPEG of printed text. Counters: the strip bytes, and the processor time of all
// threads per page (steadier than the wall time on a busy machine).
#include "IkAttachment.h"
#include "Ikdllprocs.h"
#include "LzwParallel.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <span>
#include <iterator>
#include <string>
#include <vector>

using namespace Ikdllprocs;

namespace {

constexpr std::uint32_t kWidth = 2480, kHeight = 3508;

struct Page {
    std::string jpeg;
    std::vector<std::uint8_t> rgb;
};

struct Fixtures {
    QTemporaryDir dir;
    Page photo, text;
    std::string output;
    Fixtures() {
        const std::string base = dir.path().toStdString();
        output = base + "/out.tif";
        make(photo, base + "/photo", "-seed 4 plasma:");
        std::string lines = "xc:white -fill black -pointsize 36";
        for (int y = 300; y < 3300; y += 45)
            lines += " -annotate +200+" + std::to_string(y) +
                     " 'Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor'";
        make(text, base + "/text", lines + " -attenuate 0.2 +noise Gaussian");
    }
    void make(Page& page, const std::string& name, const std::string& content) {
        page.jpeg = name + ".jpg";
        const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
        std::system(("convert -size " + size + " " + content + " -quality 85 -density 300 '" + page.jpeg + "'").c_str());
        std::system(("convert '" + page.jpeg + "' -depth 8 rgb:'" + name + ".rgb'").c_str());
        std::ifstream in(name + ".rgb", std::ios::binary);
        page.rgb.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

Fixtures& fixtures() {
    static Fixtures f;
    return f;
}

// Writes the page as strips of `rows` rows, encoded by libtiff or by the kit's
// encoder on `threads` threads.
std::uint64_t writePage(const std::vector<std::uint8_t>& rgb, std::uint32_t rows, bool ours, unsigned threads) {
    TIFF* tif = TIFFOpen(fixtures().output.c_str(), "w");
    if (!tif) return 0;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
    const std::size_t rowBytes = std::size_t(kWidth) * 3;
    std::uint64_t total = 0;
    std::vector<std::span<const std::uint8_t>> inputs;
    for (std::uint32_t y = 0; y < kHeight; y += rows)
        inputs.emplace_back(rgb.data() + y * rowBytes, std::min(rows, kHeight - y) * rowBytes);
    if (ours) {
        std::vector<kit::LzwStrip> strips;
        if (!kit::lzwEncodeStrips(inputs, strips, {threads, std::size_t(1) << 19, 0})) return 0;
        for (std::size_t s = 0; s < strips.size(); ++s) {
            TIFFWriteRawStrip(tif, static_cast<std::uint32_t>(s), strips[s].bytes.get(), tmsize_t(strips[s].size));
            total += strips[s].size;
        }
    } else {
        for (std::size_t s = 0; s < inputs.size(); ++s) {
            TIFFWriteEncodedStrip(tif, static_cast<std::uint32_t>(s), const_cast<std::uint8_t*>(inputs[s].data()),
                                  tmsize_t(inputs[s].size()));
            total += TIFFGetStrileByteCount(tif, static_cast<std::uint32_t>(s));
        }
    }
    TIFFClose(tif);
    return total;
}

// Processor seconds of every thread of the process so far.
double processSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Counters: the strip bytes, and the processor milliseconds per page of all threads.
void encode(benchmark::State& state, const Page& page, std::uint32_t rows, bool ours, unsigned threads = 0) {
    if (page.rgb.size() != std::size_t(kWidth) * kHeight * 3) {
        state.SkipWithError("no page");
        return;
    }
    std::uint64_t bytes = 0;
    const double before = processSeconds();
    for (auto _ : state) bytes = writePage(page.rgb, rows, ours, threads);
    state.counters["strip_bytes"] = double(bytes);
    state.counters["cpu_ms_all_threads"] = (processSeconds() - before) * 1000 / double(state.iterations());
}

void save(benchmark::State& state, const Page& page, bool oneStrip) {
    IkAttachment attachment(vikGroupMain);
    const IKHANDLE image = IkFileLoad(page.jpeg.c_str(), 0, 0, 0, nullptr, "", "", "");
    if (!image) {
        state.SkipWithError("no page");
        return;
    }
    for (auto _ : state)
        if (!IkTiffFileSave(fixtures().output.c_str(), image, 6, 0, IK_FALSE, "", oneStrip ? IK_TRUE : IK_FALSE,
                            nullptr, "", "", "")) {
            state.SkipWithError("save failed");
            break;
        }
    IkFreeMemory(image);
}

void PhotoOneStrip_Ours(benchmark::State& s) { encode(s, fixtures().photo, kHeight, true); }
void PhotoOneStrip_OursOneThread(benchmark::State& s) { encode(s, fixtures().photo, kHeight, true, 1); }
void PhotoOneStrip_Libtiff(benchmark::State& s) { encode(s, fixtures().photo, kHeight, false); }
void PhotoSmallStrips_Ours(benchmark::State& s) { encode(s, fixtures().photo, 1, true); }
void PhotoSmallStrips_Libtiff(benchmark::State& s) { encode(s, fixtures().photo, 1, false); }
void TextOneStrip_Ours(benchmark::State& s) { encode(s, fixtures().text, kHeight, true); }
void TextOneStrip_Libtiff(benchmark::State& s) { encode(s, fixtures().text, kHeight, false); }
void PhotoSave_OneStrip(benchmark::State& s) { save(s, fixtures().photo, true); }
void PhotoSave_SmallStrips(benchmark::State& s) { save(s, fixtures().photo, false); }

BENCHMARK(PhotoOneStrip_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PhotoOneStrip_OursOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PhotoOneStrip_Libtiff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PhotoSmallStrips_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PhotoSmallStrips_Libtiff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextOneStrip_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextOneStrip_Libtiff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PhotoSave_OneStrip)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PhotoSave_SmallStrips)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
