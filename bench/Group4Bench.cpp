// Group 4 coding of a 600-dpi A4 bilevel page (4960 × 7016) beside libtiff's own coder in the
// same run: the page as one strip written to a TIFF file, and coded alone (no file) on every
// core and on one; then strips of about 8 KB; then the page saved through IKTiffFileSave.
// Two pages: ImageMagick's hexagons pattern and lines of printed text. Counters: the strip
// bytes, and the processor time of all threads per page.
#include "CoderBench.h"
#include "Group4Encoder.h"

#include <QTemporaryDir>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace coderbench;

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
        make(text, base + "/text",
             textLines("-font DejaVu-Sans -pointsize 90", 400, 500, 6700, 140,
                       "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod"));
    }
    static void make(Page& page, const std::string& name, const std::string& content) {
        page.tiff = name + ".tif";
        page.rows = makePage("-size " + std::to_string(kWidth) + "x" + std::to_string(kHeight) + " " + content +
                                 " -monochrome -depth 1 -density 600 -units PixelsPerInch -compress None",
                             page.tiff, "-negate -depth 1", "gray");
    }
};

Fixtures& fixtures() {
    static Fixtures f;
    return f;
}

// Writes the page as strips of `rows` rows, coded by libtiff or by the kit's coder.
std::uint64_t writePage(const std::vector<std::uint8_t>& page, std::uint32_t rows, bool ours, unsigned threads) {
    TIFF* tif = openPage(fixtures().output, {kWidth, kHeight, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4}, rows);
    if (!tif) return 0;
    std::vector<kit::BilevelRows> inputs;
    for (std::uint32_t y = 0; y < kHeight; y += rows)
        inputs.push_back({page.data() + y * kRowBytes, kWidth, std::min(rows, kHeight - y), kRowBytes});
    std::uint64_t total = 0;
    if (ours) {
        std::vector<std::vector<std::uint8_t>> strips;
        bool coded = true;
        if (inputs.size() == 1) {
            strips.resize(1);
            coded = kit::group4Encode(inputs[0], strips[0], {threads, 64});
        } else {
            coded = kit::group4EncodeStrips(inputs, strips, {threads, 64});
        }
        std::vector<std::pair<const void*, std::size_t>> written;
        for (const auto& strip : strips) written.emplace_back(strip.data(), strip.size());
        if (coded) total = writeCodedStrips(tif, written);
    } else {
        std::vector<std::pair<const std::uint8_t*, std::size_t>> strips;
        for (const kit::BilevelRows& strip : inputs) strips.emplace_back(strip.data, strip.height * kRowBytes);
        total = writeLibtiffStrips(tif, strips);
    }
    TIFFClose(tif);
    return total;
}

bool pageMissing(benchmark::State& state, const Page& page) {
    if (page.rows.size() == kRowBytes * kHeight) return false;
    state.SkipWithError("no page");
    return true;
}

void encode(benchmark::State& state, const Page& page, std::uint32_t rows, bool ours, unsigned threads = 0) {
    if (pageMissing(state, page)) return;
    measureCoding(state, [&] { return writePage(page.rows, rows, ours, threads); });
}

// The page coded in memory only, no file.
void codeOnly(benchmark::State& state, const Page& page, unsigned threads) {
    if (pageMissing(state, page)) return;
    std::vector<std::uint8_t> out;
    measureCoding(state, [&] {
        kit::group4Encode({page.rows.data(), kWidth, kHeight, kRowBytes}, out, {threads, 64});
        benchmark::DoNotOptimize(out.data());
        return std::uint64_t(out.size());
    });
}

void save(benchmark::State& state, const Page& page, bool oneStrip) {
    saveRepeatedly(state, page.tiff, fixtures().output, 4, oneStrip);
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
