// LZW encoding of a 300-dpi A4 colour page (2480 × 3508 RGB, 26 MB) beside libtiff's own
// encoder in the same run: the page as one strip and as strips of about 8 KB, written to a
// TIFF file; then the page saved through IKTiffFileSave. Two pages: a decoded JPEG photo and
// a decoded JPEG of printed text. Counters: the strip bytes, and the processor time of all
// threads per page (steadier than the wall time on a busy machine).
#include "CoderBench.h"
#include "LzwParallel.h"

#include <QTemporaryDir>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

namespace {

using namespace coderbench;

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
        make(text, base + "/text",
             textLines("-fill black -pointsize 36", 200, 300, 3300, 45,
                       "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor") +
                 " -attenuate 0.2 +noise Gaussian");
    }
    static void make(Page& page, const std::string& name, const std::string& content) {
        page.jpeg = name + ".jpg";
        page.rgb = makePage("-size " + std::to_string(kWidth) + "x" + std::to_string(kHeight) + " " + content +
                                " -quality 85 -density 300",
                            page.jpeg, "-depth 8", "rgb");
    }
};

Fixtures& fixtures() {
    static Fixtures f;
    return f;
}

// Writes the page as strips of `rows` rows, encoded by libtiff or by the kit's
// encoder on `threads` threads.
std::uint64_t writePage(const std::vector<std::uint8_t>& rgb, std::uint32_t rows, bool ours, unsigned threads) {
    TIFF* tif = openPage(fixtures().output, {kWidth, kHeight, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW}, rows);
    if (!tif) return 0;
    const std::size_t rowBytes = std::size_t(kWidth) * 3;
    std::uint64_t total = 0;
    std::vector<std::span<const std::uint8_t>> inputs;
    for (std::uint32_t y = 0; y < kHeight; y += rows)
        inputs.emplace_back(rgb.data() + y * rowBytes, std::min(rows, kHeight - y) * rowBytes);
    if (ours) {
        std::vector<kit::LzwStrip> strips;
        if (kit::lzwEncodeStrips(inputs, strips, {threads, std::size_t(1) << 19, 0})) {
            std::vector<std::pair<const void*, std::size_t>> written;
            for (const kit::LzwStrip& strip : strips) written.emplace_back(strip.bytes.get(), strip.size);
            total = writeCodedStrips(tif, written);
        }
    } else {
        std::vector<std::pair<const std::uint8_t*, std::size_t>> strips;
        for (const auto& strip : inputs) strips.emplace_back(strip.data(), strip.size());
        total = writeLibtiffStrips(tif, strips);
    }
    TIFFClose(tif);
    return total;
}

// Counters: the strip bytes, and the processor milliseconds per page of all threads.
void encode(benchmark::State& state, const Page& page, std::uint32_t rows, bool ours, unsigned threads = 0) {
    if (page.rgb.size() != std::size_t(kWidth) * kHeight * 3) {
        state.SkipWithError("no page");
        return;
    }
    measureCoding(state, [&] { return writePage(page.rgb, rows, ours, threads); });
}

void save(benchmark::State& state, const Page& page, bool oneStrip) {
    saveRepeatedly(state, page.jpeg, fixtures().output, 6, oneStrip);
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
