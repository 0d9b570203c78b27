#include "FileFixture.h"

#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

void FileKit::SetUp() {
    attachment_ = std::make_unique<IkAttachment>(vikGroupMain);
    ASSERT_NE(Ikdllprocs::IkFileLoad, nullptr) << "Ik7File.so not loaded";
    dir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(dir_->isValid());
    liveBefore_ = platform::globalLiveCount();
}

void FileKit::TearDown() {
    EXPECT_EQ(platform::globalLiveCount(), liveBefore_) << "image blocks leaked";
    attachment_.reset();
}

std::string FileKit::path(const std::string& name) const { return dir_->filePath(QString::fromStdString(name)).toStdString(); }

int FileKit::shell(const std::string& command) {
    const int status = std::system(("( " + command + " ) >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::uint8_t> FileKit::fileBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Rgba FileKit::reference(const std::string& file, int page) {
    Rgba out;
    const std::string raw = file + ".reference.rgba";
    const std::string size = file + ".reference.size";
    const std::string source = "'" + file + "[" + std::to_string(page) + "]'";
    if (shell("convert " + source + " -auto-orient -depth 8 rgba:'" + raw + "'") != 0) return out;
    if (shell("convert " + source + " -auto-orient -format '%w %h' info: > '" + size + "'") != 0) return out;
    std::FILE* sizes = std::fopen(size.c_str(), "r");
    if (!sizes || std::fscanf(sizes, "%d %d", &out.width, &out.height) != 2) out.width = out.height = 0;
    if (sizes) std::fclose(sizes);
    out.bytes = fileBytes(raw);
    return out;
}

Rgba FileKit::pixels(IKHANDLE image) {
    Rgba out;
    platform::GlobalLock lock(image);
    if (!lock) return out;
    const auto& h = *lock.as<platform::BitmapInfoHeader>();
    const auto* base = lock.as<std::uint8_t>();
    const auto* table = reinterpret_cast<const platform::RgbQuad*>(base + h.biSize);
    const std::uint8_t* bits = base + platform::dibPixelOffset(h);
    const std::uint32_t stride = platform::dibStride(h.biWidth, h.biBitCount);
    out.width = h.biWidth;
    out.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    for (std::int32_t y = 0; y < out.height; ++y) {
        const std::uint8_t* row = bits + std::size_t(h.biHeight > 0 ? out.height - 1 - y : y) * stride;
        for (std::int32_t x = 0; x < out.width; ++x) {
            std::uint8_t r, g, b, a = 255;
            switch (h.biBitCount) {
            case 1:
            case 4:
            case 8: {
                const int i = h.biBitCount == 8 ? row[x]
                              : h.biBitCount == 4 ? ((x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4)
                                                  : (row[x / 8] >> (7 - x % 8)) & 1;
                r = table[i].red;
                g = table[i].green;
                b = table[i].blue;
                break;
            }
            default: {
                const std::uint8_t* p = row + x * (h.biBitCount / 8);
                b = p[0];
                g = p[1];
                r = p[2];
                if (h.biBitCount == 32) a = p[3];
            }
            }
            out.bytes.insert(out.bytes.end(), {r, g, b, a});
        }
    }
    return out;
}

int FileKit::difference(const Rgba& a, const Rgba& b, bool withAlpha) {
    if (a.width != b.width || a.height != b.height || a.bytes.size() != b.bytes.size() || a.bytes.empty()) return -1;
    int most = 0;
    for (std::size_t i = 0; i < a.bytes.size(); ++i) {
        if (!withAlpha && i % 4 == 3) continue;
        // The colour of a fully transparent pixel is no part of the picture.
        const std::size_t pixel = i - i % 4;
        if (withAlpha && a.bytes[pixel + 3] == 0 && b.bytes[pixel + 3] == 0) continue;
        most = std::max(most, std::abs(int(a.bytes[i]) - int(b.bytes[i])));
    }
    return most;
}

std::string FileKit::tiffinfo(const std::string& file) {
    const std::string out = file + ".tiffinfo";
    std::system(("tiffinfo '" + file + "' > '" + out + "' 2>&1").c_str());
    const std::vector<std::uint8_t> text = fileBytes(out);
    return std::string(text.begin(), text.end());
}
