// Group 4 coding of a 600-dpi A4 bilevel page (4960 × 7016) beside libtiff's own coder in the
// same run: the page as one strip written to a TIFF file, and coded alone (no file) on every
// core and on one; then strips of about 8 KB; then the page saved through IKTiffFileSave.
// Two pages: ImageMagick's hexagons pattern and lines of printed text. Counters: the strip
// bytes, and the processor time of all threads per page.
#include "Group4Encoder.h"
#include "IkAttachment.h"
#include "Ikdllprocs.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <sys/resource.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace Ikdllprocs;

namespace {

constexpr std::uint32_t kWidth = 4960, kHeight = 7016;
constexpr std::size_t kRowBytes = (kWidth + 7) / 8;

struct Page {
    std::string tiff;                // the page as an uncompressed 1-bit TIFF
    std::vector<std::uint8_t> rows;  // its rows, 1 black
};

struct Fixtures {
    QTemporaryDir dir;
    Page hexagons, text;
    std::string output;
    Fixtures() {
        const std::string base = dir.path().toStdString();
        output = base + "/out.tif";
        make(hexagons, base + "/hexagons", "pattern:hexagons");
        std::string lines = "xc:white -font DejaVu-Sans -pointsize 90";
        for (int y = 500; y < 6700; y += 140)
            lines += " -annotate +400+" + std::to_string(y) +
                     " 'Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod'";
        make(text, base + "/text", lines);
    }
    void make(Page& page, const std::string& name, const std::string& content) {
        page.tiff = name + ".tif";
        const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
        std::system(("convert -size " + size + " " + content + " -monochrome -depth 1 -density 600 -units "
                     "PixelsPerInch -compress None '" + page.tiff + "'").c_str());
        std::system(("convert '" + page.tiff + "' -negate -depth 1 gray:'" + name + ".bits'").c_str());
        std::ifstream in(name + ".bits", std::ios::binary);
        page.rows.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

Fixtures& fixtures() {
    static Fixtures f;
    return f;
}

// Writes the page as strips of `rows` rows, coded by libtiff or by the kit's coder.
std::uint64_t writePage(const std::vector<std::uint8_t>& page, std::uint32_t rows, bool ours, unsigned threads) {
    TIFF* tif = TIFFOpen(fixtures().output.c_str(), "w");
    if (!tif) return 0;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rows);
    std::vector<kit::BilevelRows> inputs;
    for (std::uint32_t y = 0; y < kHeight; y += rows)
        inputs.push_back({page.data() + y * kRowBytes, kWidth, std::min(rows, kHeight - y), kRowBytes});
    std::uint64_t total = 0;
    if (ours) {
        std::vector<std::vector<std::uint8_t>> strips;
        if (inputs.size() == 1) {
            strips.resize(1);
            if (!kit::group4Encode(inputs[0], strips[0], {threads, 64})) return 0;
        } else if (!kit::group4EncodeStrips(inputs, strips, {threads, 64})) {
            return 0;
        }
        for (std::size_t s = 0; s < strips.size(); ++s) {
            TIFFWriteRawStrip(tif, static_cast<std::uint32_t>(s), strips[s].data(), tmsize_t(strips[s].size()));
            total += strips[s].size();
        }
    } else {
        for (std::size_t s = 0; s < inputs.size(); ++s) {
            TIFFWriteEncodedStrip(tif, static_cast<std::uint32_t>(s), const_cast<std::uint8_t*>(inputs[s].data),
                                  tmsize_t(inputs[s].height * kRowBytes));
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

bool pageMissing(benchmark::State& state, const Page& page) {
    if (page.rows.size() == kRowBytes * kHeight) return false;
    state.SkipWithError("no page");
    return true;
}

// Counters: the strip bytes, and the processor milliseconds per page of all threads.
void encode(benchmark::State& state, const Page& page, std::uint32_t rows, bool ours, unsigned threads = 0) {
    if (pageMissing(state, page)) return;
    std::uint64_t bytes = 0;
    const double before = processSeconds();
    for (auto _ : state) bytes = writePage(page.rows, rows, ours, threads);
    state.counters["strip_bytes"] = double(bytes);
    state.counters["cpu_ms_all_threads"] = (processSeconds() - before) * 1000 / double(state.iterations());
}

// The page coded in memory only, no file.
void codeOnly(benchmark::State& state, const Page& page, unsigned threads) {
    if (pageMissing(state, page)) return;
    std::vector<std::uint8_t> out;
    const double before = processSeconds();
    for (auto _ : state) {
        kit::group4Encode({page.rows.data(), kWidth, kHeight, kRowBytes}, out, {threads, 64});
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["strip_bytes"] = double(out.size());
    state.counters["cpu_ms_all_threads"] = (processSeconds() - before) * 1000 / double(state.iterations());
}

void save(benchmark::State& state, const Page& page, bool oneStrip) {
    IkAttachment attachment(vikGroupMain);
    const IKHANDLE image = IkFileLoad(page.tiff.c_str(), 0, 0, 0, nullptr, "", "", "");
    if (!image) {
        state.SkipWithError("no page");
        return;
    }
    for (auto _ : state)
        if (!IkTiffFileSave(fixtures().output.c_str(), image, 4, 0, IK_FALSE, "", oneStrip ? IK_TRUE : IK_FALSE,
                            nullptr, "", "", "")) {
            state.SkipWithError("save failed");
            break;
        }
    IkFreeMemory(image);
}

void HexagonsOneStrip_Ours(benchmark::State& s) { encode(s, fixtures().hexagons, kHeight, true); }
void HexagonsOneStrip_Libtiff(benchmark::State& s) { encode(s, fixtures().hexagons, kHeight, false); }
void HexagonsCodeOnly_Ours(benchmark::State& s) { codeOnly(s, fixtures().hexagons, 0); }
void HexagonsCodeOnly_OursOneThread(benchmark::State& s) { codeOnly(s, fixtures().hexagons, 1); }
void HexagonsSmallStrips_Ours(benchmark::State& s) { encode(s, fixtures().hexagons, 13, true); }
void HexagonsSmallStrips_Libtiff(benchmark::State& s) { encode(s, fixtures().hexagons, 13, false); }
void TextOneStrip_Ours(benchmark::State& s) { encode(s, fixtures().text, kHeight, true); }
void TextOneStrip_Libtiff(benchmark::State& s) { encode(s, fixtures().text, kHeight, false); }
void TextCodeOnly_Ours(benchmark::State& s) { codeOnly(s, fixtures().text, 0); }
void TextCodeOnly_OursOneThread(benchmark::State& s) { codeOnly(s, fixtures().text, 1); }
void TextSmallStrips_Ours(benchmark::State& s) { encode(s, fixtures().text, 13, true); }
void TextSmallStrips_Libtiff(benchmark::State& s) { encode(s, fixtures().text, 13, false); }
void HexagonsSave_OneStrip(benchmark::State& s) { save(s, fixtures().hexagons, true); }
void TextSave_OneStrip(benchmark::State& s) { save(s, fixtures().text, true); }
void TextSave_SmallStrips(benchmark::State& s) { save(s, fixtures().text, false); }

BENCHMARK(HexagonsOneStrip_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HexagonsOneStrip_Libtiff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HexagonsCodeOnly_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HexagonsCodeOnly_OursOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HexagonsSmallStrips_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HexagonsSmallStrips_Libtiff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextOneStrip_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextOneStrip_Libtiff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextCodeOnly_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextCodeOnly_OursOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextSmallStrips_Ours)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextSmallStrips_Libtiff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HexagonsSave_OneStrip)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextSave_OneStrip)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextSave_SmallStrips)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
