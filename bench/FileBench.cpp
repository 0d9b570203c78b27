// Loading a page and writing it as one TIFF page, beside ImageMagick's convert (and
// tiffcp for Group 4) doing the same conversion in the same run:
//   an A4 300-dpi colour JPEG to an LZW page, a 600-dpi A4 1-bit page to Group 4.
#include "IkAttachment.h"
#include "Ikdllprocs.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

using namespace Ikdllprocs;

namespace {

struct Fixtures {
    QTemporaryDir dir;
    std::string colourJpeg, bilevelG4, output;
    Fixtures() {
        const std::string base = dir.path().toStdString();
        colourJpeg = base + "/a4-300.jpg";
        bilevelG4 = base + "/a4-600.tif";
        output = base + "/out.tif";
        std::system(("convert -seed 4 -size 2480x3508 plasma: -quality 85 -density 300 '" + colourJpeg + "'").c_str());
        std::system(("convert -size 4960x7016 xc:white -fill black -draw 'rectangle 300,300 4600,500' "
                     "-pointsize 60 -draw \"text 400,1000 'Lorem ipsum dolor sit amet'\" -type Bilevel "
                     "-compress Group4 -density 600 '" + bilevelG4 + "'").c_str());
    }
};

Fixtures& fixtures() {
    static Fixtures f;
    return f;
}

void convertWithKit(benchmark::State& state, const std::string& input, int compression) {
    IkAttachment attachment(vikGroupMain);
    for (auto _ : state) {
        const IKHANDLE image = IkFileLoad(input.c_str(), 0, 0, 0, nullptr, "", "", "");
        if (!image || !IkTiffFileSave(fixtures().output.c_str(), image, compression, 0, IK_FALSE, "", IK_FALSE,
                                      nullptr, "", "", "")) {
            state.SkipWithError("kit conversion failed");
            if (image) IkFreeMemory(image);
            break;
        }
        IkFreeMemory(image);
    }
}

void runCommand(benchmark::State& state, const std::string& command) {
    for (auto _ : state)
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
            state.SkipWithError("command failed");
            break;
        }
}

void JpegToLzw_Kit(benchmark::State& state) { convertWithKit(state, fixtures().colourJpeg, 6); }
void JpegToLzw_ImageMagick(benchmark::State& state) {
    runCommand(state, "convert '" + fixtures().colourJpeg + "' -compress LZW '" + fixtures().output + "'");
}
void BilevelToG4_Kit(benchmark::State& state) { convertWithKit(state, fixtures().bilevelG4, 4); }
void BilevelToG4_ImageMagick(benchmark::State& state) {
    runCommand(state, "convert '" + fixtures().bilevelG4 + "' -compress Group4 '" + fixtures().output + "'");
}
void BilevelToG4_Tiffcp(benchmark::State& state) {
    runCommand(state, "tiffcp -c g4 '" + fixtures().bilevelG4 + "' '" + fixtures().output + "'");
}

BENCHMARK(JpegToLzw_Kit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(JpegToLzw_ImageMagick)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BilevelToG4_Kit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BilevelToG4_ImageMagick)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BilevelToG4_Tiffcp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
