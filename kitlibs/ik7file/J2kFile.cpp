// JPEG 2000: the JP2 file format and raw code streams; facts, loading (grey, RGB, with
// alpha; deeper precision reduced to 8 bits) and saving.
#include "AtomicOutput.h"
#include "Codecs.h"
#include "Colour.h"
#include "DecodeLimits.h"
#include "DibBlock.h"
#include "FileBytes.h"
#include "FormatDetect.h"
#include "J2kHeader.h"
#include "Reduction.h"
#include "KitCall.h"
#include "PixelSource.h"
#include "Pixels.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <openjpeg.h>

namespace kit {
namespace {

void quiet(const char*, void*) {}

struct CodecDeleter {
    void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter {
    void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageDeleter {
    void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
using CodecPtr = std::unique_ptr<opj_codec_t, CodecDeleter>;
using StreamPtr = std::unique_ptr<opj_stream_t, StreamDeleter>;
using ImagePtr = std::unique_ptr<opj_image_t, ImageDeleter>;

struct MemorySource {
    const std::vector<std::uint8_t>* bytes;
    std::size_t at = 0;
};

OPJ_SIZE_T readBytes(void* buffer, OPJ_SIZE_T size, void* data) {
    auto* source = static_cast<MemorySource*>(data);
    const std::size_t left = source->bytes->size() - source->at;
    if (left == 0) return static_cast<OPJ_SIZE_T>(-1);
    const std::size_t n = std::min<std::size_t>(size, left);
    std::memcpy(buffer, source->bytes->data() + source->at, n);
    source->at += n;
    return n;
}

OPJ_OFF_T skipBytes(OPJ_OFF_T count, void* data) {
    auto* source = static_cast<MemorySource*>(data);
    if (count < 0) return -1;
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), source->bytes->size() - source->at);
    source->at += n;
    return static_cast<OPJ_OFF_T>(n);
}

OPJ_BOOL seekBytes(OPJ_OFF_T offset, void* data) {
    auto* source = static_cast<MemorySource*>(data);
    if (offset < 0 || static_cast<std::size_t>(offset) > source->bytes->size()) return OPJ_FALSE;
    source->at = static_cast<std::size_t>(offset);
    return OPJ_TRUE;
}

// An open decoder with the header read; our own reading of the headers has refused what
// would exceed the decode budget before OpenJPEG sees the file.
struct J2kReader {
    std::optional<std::vector<std::uint8_t>> bytes;
    MemorySource source{};
    CodecPtr codec;
    StreamPtr stream;
    ImagePtr image;
    J2kHeader header;
    bool jp2 = false;

    bool open(const char* path) {
        bytes = readFileBytes(path);
        if (!bytes) return false;
        const ImageFormat format = detectFormat(bytes->data(), bytes->size());
        if (format != ImageFormat::Jp2 && format != ImageFormat::J2kStream) return fail(IK_ERR_FILE_READ, false);
        jp2 = format == ImageFormat::Jp2;
        if (!readJ2kHeader(bytes->data(), bytes->size(), jp2, header) || header.components() > kMostJ2kComponents ||
            !plausibleImage(header.width, header.height, bits(), bytes->size(), kRatioJ2k))
            return fail(IK_ERR_FILE_READ, false);
        source.bytes = &*bytes;
        codec.reset(opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
        stream.reset(opj_stream_default_create(OPJ_TRUE));
        if (!codec || !stream) return fail(IK_ERR_MEMORY, false);
        opj_set_info_handler(codec.get(), quiet, nullptr);
        opj_set_warning_handler(codec.get(), quiet, nullptr);
        opj_set_error_handler(codec.get(), quiet, nullptr);
        opj_stream_set_user_data(stream.get(), &source, nullptr);
        opj_stream_set_user_data_length(stream.get(), bytes->size());
        opj_stream_set_read_function(stream.get(), readBytes);
        opj_stream_set_skip_function(stream.get(), skipBytes);
        opj_stream_set_seek_function(stream.get(), seekBytes);
        opj_dparameters_t parameters;
        opj_set_default_decoder_parameters(&parameters);
        opj_image_t* read = nullptr;
        // Strict decoding: a truncated stream fails instead of giving a partly decoded picture.
        if (!opj_setup_decoder(codec.get(), &parameters) || !opj_decoder_set_strict_mode(codec.get(), OPJ_TRUE))
            return fail(IK_ERR_FILE_READ, false);
        // Code blocks decode on every core (set before the header is read, as OpenJPEG asks).
        opj_codec_set_threads(codec.get(), static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
        if (!opj_read_header(stream.get(), codec.get(), &read)) return fail(IK_ERR_FILE_READ, false);
        image.reset(read);
        // OpenJPEG must have read the header as we did.
        const bool same = image->numcomps == header.streamComponents && image->x1 > image->x0 &&
                          image->y1 > image->y0 && image->comps[0].w == header.width &&
                          image->comps[0].h == header.height;
        return same ? true : fail(IK_ERR_FILE_READ, false);
    }
    bool colour() const { return header.components() >= 3; }
    bool alpha() const { return header.components() == 2 || header.components() == 4; }
    int bits() const { return alpha() ? 32 : colour() ? 24 : 8; }
};

// Reduces a component's samples to 8 bits: signed ones offset to unsigned, deeper ones
// shifted, shallower ones stretched; 64-bit arithmetic for every precision OpenJPEG gives.
class EightBits {
public:
    explicit EightBits(const opj_image_comp_t& c) {
        const int precision = std::clamp<int>(static_cast<int>(c.prec), 1, 38);
        offset_ = c.sgnd ? std::int64_t{1} << (precision - 1) : 0;
        shift_ = std::max(precision - 8, 0);
        top_ = precision < 8 ? (std::int64_t{1} << precision) - 1 : 0;
    }
    std::uint8_t operator()(OPJ_INT32 sample) const {
        std::int64_t value = std::int64_t{sample} + offset_;
        if (shift_ > 0) value >>= shift_;
        else if (top_ > 0) value = value * 255 / top_;
        return std::uint8_t(std::clamp<std::int64_t>(value, 0, 255));
    }

private:
    std::int64_t offset_ = 0, top_ = 0;
    int shift_ = 0;
};

}  // namespace

bool j2kFileInfo(const char* path, IKFILEINFO& out) {
    J2kReader reader;
    if (!reader.open(path)) return false;
    out.bitsPerPixel = reader.bits();
    out.width = static_cast<std::int32_t>(reader.header.width);
    out.height = static_cast<std::int32_t>(reader.header.height);
    out.valueK = static_cast<std::int32_t>(reader.header.components());
    int depth = 0;
    for (const int bits : reader.header.precisions) depth += bits;
    out.valueL = depth;
    out.fileType = reader.jp2 ? IK_FILETYPE_JP2 : IK_FILETYPE_J2K_STREAM;
    out.pageCount = 1;
    return true;
}

IKHANDLE loadJ2kFile(const char* path, Progress& progress, std::int32_t atLeastWidth, std::int32_t atLeastHeight) {
    J2kReader reader;
    if (!reader.open(path)) return 0;
    // Fewer resolution levels: OpenJPEG refuses a factor beyond the file's levels, so the
    // largest it takes is used.
    int reduce = halvingSteps(reader.header.width, reader.header.height, atLeastWidth, atLeastHeight, 32);
    while (reduce > 0 && !opj_set_decoded_resolution_factor(reader.codec.get(), static_cast<OPJ_UINT32>(reduce)))
        --reduce;
    if (!progress.report(0, 100)) return fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    if (!opj_decode(reader.codec.get(), reader.stream.get(), reader.image.get()) ||
        !opj_end_decompress(reader.codec.get(), reader.stream.get()))
        return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    // The decoded picture must be what the facts announced: the palette applied, every
    // component of the header's size.
    const opj_image_t& img = *reader.image;
    // Reduced by 2^reduce, rounded up, on the image's grid.
    const auto reduced = [reduce](std::uint32_t from, std::uint32_t to) {
        const std::uint64_t step = std::uint64_t{1} << reduce;
        return static_cast<std::uint32_t>((to + step - 1) / step - (from + step - 1) / step);
    };
    const std::uint32_t width = reduce ? reduced(img.x0, img.x1) : reader.header.width;
    const std::uint32_t height = reduce ? reduced(img.y0, img.y1) : reader.header.height;
    if (width == 0 || height == 0 || width > reader.header.width || height > reader.header.height)
        return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    if (img.numcomps != reader.header.components()) return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    for (OPJ_UINT32 i = 0; i < img.numcomps; ++i)
        if (!img.comps[i].data || img.comps[i].w != width || img.comps[i].h != height)
            return fail<IKHANDLE>(IK_ERR_FILE_READ, 0);
    const bool colour = reader.colour(), alpha = reader.alpha();
    const int bits = reader.bits();
    platform::GlobalBlock image(allocateDib(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
                                            std::uint16_t(bits), bits == 8 ? 256 : 0, true));
    if (!image.get()) return 0;
    DibView dib(image.get());
    if (bits == 8)
        writeGreyRamp(dib.colours(), 256);
    const OPJ_UINT32 alphaIndex = img.numcomps == 2 ? 1 : 3;
    const EightBits red(img.comps[0]), green(img.comps[colour ? 1 : 0]), blue(img.comps[colour ? 2 : 0]);
    const EightBits opacity(img.comps[alpha ? alphaIndex : 0]);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* row = dib.row(static_cast<std::int32_t>(y));
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::size_t i = std::size_t(y) * width + x;
            const std::uint8_t r = red(img.comps[0].data[i]);
            if (bits == 8) {
                row[x] = r;
                continue;
            }
            std::uint8_t* p = row + std::size_t(bits / 8) * x;
            p[0] = colour ? blue(img.comps[2].data[i]) : r;
            p[1] = colour ? green(img.comps[1].data[i]) : r;
            p[2] = r;
            if (alpha) p[3] = opacity(img.comps[alphaIndex].data[i]);
        }
    }
    if (!progress.report(100, 100)) return fail<IKHANDLE>(IK_ERR_CANCELLED, 0);
    return image.release();
}

}  // namespace kit

namespace {

bool writeJ2k(const char* path, const kit::PixelSource& source, bool stream, bool lossless, int ratio, int levels,
              const char* comment) {
    const bool grey = source.indexed() && source.greyTable();
    const bool alpha = !source.indexed() && source.hasAlpha();
    const OPJ_UINT32 count = grey ? 1 : alpha ? 4 : 3;
    const auto w = static_cast<OPJ_UINT32>(source.width()), h = static_cast<OPJ_UINT32>(source.height());
    std::vector<opj_image_cmptparm_t> parts(count);
    for (opj_image_cmptparm_t& p : parts) {
        std::memset(&p, 0, sizeof(p));
        p.dx = p.dy = 1;
        p.w = w;
        p.h = h;
        p.prec = 8;
    }
    kit::ImagePtr image(opj_image_create(count, parts.data(), grey ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB));
    if (!image) return false;
    image->x1 = w;
    image->y1 = h;
    if (alpha) image->comps[3].alpha = 1;
    std::vector<std::uint8_t> row(std::size_t(w) * 4);
    for (OPJ_UINT32 y = 0; y < h; ++y) {
        const auto sy = static_cast<std::int32_t>(y);
        if (grey) {
            const std::uint8_t* indices = source.row(sy);
            for (std::size_t x = 0; x < w; ++x)
                image->comps[0].data[std::size_t(y) * w + x] = source.table()[kit::indexAt(indices, x, source.bits())].red;
            continue;
        }
        if (alpha) source.rgbaRow(sy, row.data()); else source.rgbRow(sy, row.data());
        for (OPJ_UINT32 x = 0; x < w; ++x)
            for (OPJ_UINT32 c = 0; c < count; ++c) image->comps[c].data[std::size_t(y) * w + x] = row[count * x + c];
    }
    opj_cparameters_t parameters;
    opj_set_default_encoder_parameters(&parameters);
    parameters.tcp_numlayers = 1;
    parameters.cp_disto_alloc = 1;
    parameters.tcp_rates[0] = lossless ? 0 : static_cast<float>(ratio);
    parameters.irreversible = lossless ? 0 : 1;
    parameters.tcp_mct = count >= 3 ? 1 : 0;
    // Every resolution level halves the smallest side once.
    int most = 1;
    while (most < 32 && (std::min(w, h) >> most) > 0) ++most;
    parameters.numresolution = std::clamp(levels, 1, most);
    std::string text = comment ? comment : "";
    if (!text.empty()) parameters.cp_comment = text.data();
    kit::CodecPtr codec(opj_create_compress(stream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2));
    if (!codec) return false;
    opj_set_info_handler(codec.get(), kit::quiet, nullptr);
    opj_set_warning_handler(codec.get(), kit::quiet, nullptr);
    opj_set_error_handler(codec.get(), kit::quiet, nullptr);
    if (!opj_setup_encoder(codec.get(), &parameters, image.get())) return false;
    kit::StreamPtr out(opj_stream_create_default_file_stream(path, OPJ_FALSE));
    if (!out) return false;
    return opj_start_compress(codec.get(), image.get(), out.get()) && opj_encode(codec.get(), out.get()) &&
           opj_end_compress(codec.get(), out.get());
}

}  // namespace

IK_API IKHANDLE IKJ2kFileLoad(const char* path, IKPROGRESSPROC progress, const char*, const char*, const char*) {
    return kit::guarded<IKHANDLE>(0, [&] {
        if (!kit::fileIsFormat(path, kit::ImageFormat::Jp2, kit::ImageFormat::J2kStream)) return IKHANDLE(0);
        kit::Progress relay(progress);
        return kit::loadJ2kFile(path, relay);
    });
}

IK_API IKBOOL IKJ2kFileSave(const char* path, IKHANDLE image, IKBOOL stream, IKBOOL flag, int32_t param1,
                            int32_t param2, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                            const char* comment, IKPROGRESSPROC progress, const char*, const char*, const char*) {
    return kit::guarded(IK_FALSE, [&] {
        if (!path || !*path) return kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
        const kit::PixelSource source(image);
        if (!source.usable()) return kit::fail(source.failureStatus(), IK_FALSE);
        kit::Progress relay(progress);
        if (!relay.report(0, 100)) return kit::fail(IK_ERR_CANCELLED, IK_FALSE);
        kit::AtomicOutput output(path);
        if (!output.ready()) return kit::fail(IK_ERR_FILE_OPEN, IK_FALSE);
        if (!writeJ2k(output.path(), source, stream != 0, flag != 0, param1 > 0 ? param1 : 20, param2 > 0 ? param2 : 6,
                      comment))
            return kit::fail(IK_ERR_FILE_WRITE, IK_FALSE);
        if (!relay.report(100, 100)) return kit::fail(IK_ERR_CANCELLED, IK_FALSE);
        return output.commit() ? IK_TRUE : kit::fail(IK_ERR_FILE_WRITE, IK_FALSE);
    });
}
