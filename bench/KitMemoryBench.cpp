// Image memory speed: locking a handle, and IKCopyImage of a 4960 × 7016 24-bit page
// (an A4 page at 300 dpi, 104 MB) beside a memcpy of the same bytes in the same run.
#include "IkAttachment.h"
#include "Ikdllprocs.h"

#include "platform/GlobalMemory.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int kWidth = 4960;
constexpr int kHeight = 7016;

struct Page {
    IkAttachment attachment{vikGroupMain};
    IKHANDLE image = Ikdllprocs::IkCreateImage(kWidth, kHeight, 24, 200, 100, 50, 0, 0, 0, 0);
    std::size_t bytes = platform::globalSize(image);
    ~Page() { Ikdllprocs::IkFreeMemory(image); }
};

Page& page() {
    static Page instance;
    return instance;
}

void BM_LockUnlock(benchmark::State& state) {
    const IKHANDLE image = page().image;
    for (auto _ : state) {
        void* data = platform::globalLock(image);
        benchmark::DoNotOptimize(data);
        platform::globalUnlock(image);
    }
}
BENCHMARK(BM_LockUnlock);

void BM_IKCopyImage(benchmark::State& state) {
    const IKHANDLE image = page().image;
    for (auto _ : state) {
        const IKHANDLE copy = Ikdllprocs::IkCopyImage(image);
        if (!copy) state.SkipWithError("copy failed");
        Ikdllprocs::IkFreeMemory(copy);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * page().bytes);
}
BENCHMARK(BM_IKCopyImage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same bytes into a new buffer each time, as a copy must make one.
void BM_MemcpyNewBuffer(benchmark::State& state) {
    platform::GlobalLock source(page().image);
    for (auto _ : state) {
        void* target = std::malloc(page().bytes);
        std::memcpy(target, source.data(), page().bytes);
        benchmark::DoNotOptimize(target);
        std::free(target);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * page().bytes);
}
BENCHMARK(BM_MemcpyNewBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same bytes into one buffer reused every time (its pages already mapped).
void BM_MemcpyReusedBuffer(benchmark::State& state) {
    platform::GlobalLock source(page().image);
    std::unique_ptr<char[]> target(new char[page().bytes]);
    std::memset(target.get(), 0, page().bytes);
    for (auto _ : state) {
        std::memcpy(target.get(), source.data(), page().bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * page().bytes);
}
BENCHMARK(BM_MemcpyReusedBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!page().image) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
