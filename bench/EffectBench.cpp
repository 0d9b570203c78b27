// Rotation and colour conversion of full pages through Ik7Effect.so.
#include "BenchPages.h"

#include "IkAttachment.h"
#include "Ikdllprocs.h"

#include <benchmark/benchmark.h>

using namespace Ikdllprocs;

namespace {

void rotate(benchmark::State& state, IKHANDLE page) {
    const IKHANDLE images[2] = {page, 0};
    for (auto _ : state) {
        IKHANDLE results[2] = {0, 0};
        if (!IkRotationEx(images, results, 9000, 0, 0, 0, 255, 255, 255, 0, nullptr, "", "", ""))
            state.SkipWithError("rotation failed");
        IkFreeMemory(results[0]);
    }
}

void convert(benchmark::State& state, IKHANDLE page, std::uint16_t bits) {
    for (auto _ : state) {
        const IKHANDLE result = IkConvertColor(page, bits, 0, 0, 128, nullptr, "", "", "");
        if (!result) state.SkipWithError("conversion failed");
        IkFreeMemory(result);
    }
}

}  // namespace

int main(int argc, char** argv) {
    IkAttachment kit(vikGroupMain);
    if (!IkRotationEx || !IkConvertColor) return 1;
    const IKHANDLE mono = makeMonoPage(), colour = makeColourPage();
    benchmark::RegisterBenchmark("Rotate90/mono_600dpi_A4", rotate, mono)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Rotate90/colour_300dpi_A4", rotate, colour)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ConvertColor/24_to_1", convert, colour, std::uint16_t{1})->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ConvertColor/24_to_8", convert, colour, std::uint16_t{8})->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    IkFreeMemory(mono);
    IkFreeMemory(colour);
    return 0;
}
