// FlashPix through Ik7File.so on a 300-dpi A4 colour page: loading the JPEG-tiled file
// beside libjpeg decoding the same picture as one JPEG file, and saving in each mode
// (all levels) beside libjpeg writing that JPEG file. The kit saves safely (a temporary
// file, flushed to disk, renamed over the previous output); libjpeg's file is written both
// plainly (truncating the previous output) and the same safe way, and the bytes of the
// uncompressed file are written the safe way without any coding, the floor of that mode.
#include "BenchPages.h"

#include "IkAttachment.h"
#include "Ikdllprocs.h"
#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include <fcntl.h>
#include <unistd.h>
#include <string>
#include <vector>

#include <jpeglib.h>

using namespace Ikdllprocs;

namespace {

constexpr int kQuality = 75;

std::vector<unsigned char> readAll(const std::string& path) {
    std::vector<unsigned char> out;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        unsigned char buffer[65536];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) out.insert(out.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return out;
}

// libjpeg alone: the file read, decoded to RGB rows.
void decodeJpeg(const std::string& path) {
    const std::vector<unsigned char> bytes = readAll(path);
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    std::vector<unsigned char> pixels(std::size_t(info.output_width) * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + std::size_t(info.output_scanline) * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.data());
}

// The kit's safe save without the coding: `path`.tmp written, flushed to disk and renamed
// over `path`.
bool safeReplace(const std::string& path, const std::function<bool(const std::string&)>& write) {
    const std::string temp = path + ".tmp";
    if (!write(temp)) return false;
    const int fd = ::open(temp.c_str(), O_RDONLY);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    return synced && std::rename(temp.c_str(), path.c_str()) == 0;
}

// libjpeg alone: the page's rows (blue-green-red, bottom-up) written as one JPEG file.
bool encodeJpeg(IKHANDLE page, const std::string& path) {
    platform::GlobalLock lock(page);
    const auto& h = *lock.as<platform::BitmapInfoHeader>();
    const unsigned char* bits = lock.as<unsigned char>() + platform::dibPixelOffset(h);
    const std::uint32_t stride = platform::dibStride(h.biWidth, h.biBitCount);
    const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = static_cast<JDIMENSION>(h.biWidth);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kQuality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const std::size_t y = h.biHeight > 0 ? height - 1 - info.next_scanline : info.next_scanline;
        JSAMPROW row = const_cast<unsigned char*>(bits + y * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(out) == 0;
}

// Bytes written as they are, in one call.
bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

void loadFpx(benchmark::State& state, std::string path) {
    for (auto _ : state) {
        const IKHANDLE image = IkFpxFileLoad(path.c_str(), 0, nullptr, "", "", "");
        if (!image) state.SkipWithError("load failed");
        IkFreeMemory(image);
    }
}

void loadJpeg(benchmark::State& state, std::string path) {
    for (auto _ : state) decodeJpeg(path);
}

void saveFpx(benchmark::State& state, IKHANDLE page, int mode, std::string path) {
    for (auto _ : state)
        if (!IkFpxFileSave(path.c_str(), page, mode, kQuality, "", nullptr, "", "", "")) state.SkipWithError("save failed");
}

void saveJpeg(benchmark::State& state, IKHANDLE page, std::string path) {
    for (auto _ : state)
        if (!encodeJpeg(page, path)) state.SkipWithError("save failed");
}

void saveJpegSafely(benchmark::State& state, IKHANDLE page, std::string path) {
    for (auto _ : state)
        if (!safeReplace(path, [&](const std::string& temp) { return encodeJpeg(page, temp); }))
            state.SkipWithError("save failed");
}

void writeSafely(benchmark::State& state, std::vector<unsigned char> bytes, std::string path) {
    for (auto _ : state)
        if (!safeReplace(path, [&](const std::string& temp) { return writeBytes(temp, bytes); }))
            state.SkipWithError("write failed");
    state.counters["MB"] = double(bytes.size()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    IkAttachment kit(vikGroupMain);
    if (!IkFpxFileLoad || !IkFpxFileSave) return 1;
    const IKHANDLE page = makeColourPage();
    const std::string folder = "/tmp/vz-fpx-bench-" + std::to_string(::getpid());
    std::string command = "mkdir -p " + folder;
    if (std::system(command.c_str()) != 0) return 1;
    const std::string fpx = folder + "/page.fpx", jpeg = folder + "/page.jpg";
    const std::string raw = folder + "/raw.fpx";
    if (!IkFpxFileSave(fpx.c_str(), page, 2, kQuality, "", nullptr, "", "", "") ||
        !IkFpxFileSave(raw.c_str(), page, 0, kQuality, "", nullptr, "", "", "") || !encodeJpeg(page, jpeg))
        return 1;
    // Wall time, and the CPU time of every thread of the process.
    const auto timed = [](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
    };
    timed(benchmark::RegisterBenchmark("Load/FpxJpeg_A4_300dpi", loadFpx, fpx));
    timed(benchmark::RegisterBenchmark("Load/Jpeg_libjpeg", loadJpeg, jpeg));
    timed(benchmark::RegisterBenchmark("Save/FpxUncompressed", saveFpx, page, 0, folder + "/out0.fpx"));
    timed(benchmark::RegisterBenchmark("Save/FpxSingleColour", saveFpx, page, 1, folder + "/out1.fpx"));
    timed(benchmark::RegisterBenchmark("Save/FpxJpeg", saveFpx, page, 2, folder + "/out2.fpx"));
    timed(benchmark::RegisterBenchmark("Save/Jpeg_libjpeg", saveJpeg, page, folder + "/out.jpg"));
    timed(benchmark::RegisterBenchmark("Save/Jpeg_libjpeg_safe", saveJpegSafely, page, folder + "/outs.jpg"));
    timed(benchmark::RegisterBenchmark("Save/UncompressedBytes_safe", writeSafely, readAll(raw), folder + "/raw-out.fpx"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    IkFreeMemory(page);
    command = "rm -rf " + folder;
    return std::system(command.c_str()) == 0 ? 0 : 1;
}
