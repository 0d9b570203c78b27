#pragma once
// The resource budget of every decode, in one place. A decoder asks here before it
// allocates a page: the bitmap must fit the header's 32-bit size fields, a page may not
// exceed the pixel limit, and a small file may not claim a picture far larger than its
// coding could produce from it. Codec libraries get their working-memory and work limits
// from here too, so that a hostile file costs at most these amounts whatever its format.

#include <cstdint>

namespace kit {

// Most pixels of one page: about a 600-dpi A0 page; refused with a status beyond it.
inline constexpr std::uint64_t kMostPagePixels = std::uint64_t{1} << 30;
// Most bytes of one decoded bitmap (a 600-dpi A1 colour page fits).
inline constexpr std::uint64_t kMostBitmapBytes = std::uint64_t{1} << 30;
// Most memory a codec library may take for one page beside the bitmap (coefficient
// buffers of progressive JPEG, OpenJPEG's tile and code-block data, whole-strip buffers).
inline constexpr std::uint64_t kMostCodecMemoryBytes = std::uint64_t{768} << 20;
// Most bytes of any one intermediate buffer a decoder allocates itself (a strip, a tile,
// a band of rows); larger strips are read in parts.
inline constexpr std::uint64_t kMostBufferBytes = std::uint64_t{64} << 20;

// Most pixels of a thumbnail embedded in a file's metadata; larger ones are skipped.
inline constexpr std::uint64_t kMostThumbnailPixels = std::uint64_t{1} << 20;
// Most scans of one JPEG (encoders write about 10 to 20) and most coefficients visited over
// all its scans together (each scan visits its band in every block of its components; a
// common progression visits each coefficient about twice, a 600-dpi A3 colour page ~0.4 G).
inline constexpr int kMostJpegScans = 100;
inline constexpr std::uint64_t kMostJpegScanCoefficients = std::uint64_t{1} << 31;

// How many bytes of bitmap one byte of file can produce at most, per coding. A picture
// above kAlwaysAllowedBytes must come from a file big enough for its coding.
inline constexpr std::uint64_t kRatioStored = 1;           // uncompressed samples
inline constexpr std::uint64_t kRatioPackBits = 64;        // PackBits and PCX runs: 2 bytes → 128
inline constexpr std::uint64_t kRatioDeflate = 1032;       // zlib's own maximum
inline constexpr std::uint64_t kRatioLzw = 4096;           // one 12-bit code per string of up to 4096
inline constexpr std::uint64_t kRatioBmpRle = 256;         // 2 bytes → 255 pixels of 8 bits
inline constexpr std::uint64_t kRatioGif = 4096;           // LZW of the GIF coding
inline constexpr std::uint64_t kRatioJpegHuffman = 2048;   // two bits per block at the least
inline constexpr std::uint64_t kRatioJpegArithmetic = std::uint64_t{1} << 14;
inline constexpr std::uint64_t kRatioJ2k = 4096;
// Codings without a ratio of their own (LZMA, Zstandard and rarer TIFF codings).
inline constexpr std::uint64_t kRatioOtherCodings = std::uint64_t{1} << 16;
// CCITT fax rows per byte of data: every row costs at least one bit, whatever its width.
inline constexpr std::uint64_t kMostCcittRowsPerByte = 8;
// A strip taller than one band of rows is decoded again from its start for every band:
// at most this many bands per strip.
inline constexpr std::uint64_t kMostBandsPerStrip = 8;

// JPEG 2000 code streams, checked from our own reading of the headers before OpenJPEG
// parses them: components (grey, grey + alpha, RGB, RGBA; no scanner or camera writes
// more), tiles and tile components (OpenJPEG keeps several KB of coding parameters per
// tile and per tile component), code blocks and packets summed over all tiles (each costs
// OpenJPEG work even when empty), and palette columns (each becomes a component).
inline constexpr std::uint32_t kMostJ2kComponents = 4;
inline constexpr std::uint64_t kMostJ2kTiles = 16384;
inline constexpr std::uint64_t kMostJ2kTileComponents = 32768;
inline constexpr std::uint64_t kMostJ2kCodeBlocks = std::uint64_t{1} << 21;
inline constexpr std::uint64_t kMostJ2kPackets = std::uint64_t{1} << 24;
inline constexpr int kMostJ2kPaletteBits = 16;

// PNG ancillary chunks libpng keeps (text, palettes of suggestions, unknown chunks); their
// sizes are bounded by the buffer budget, through the allocator libpng is given.
inline constexpr std::uint32_t kMostPngKeptChunks = 1000;

// Images of one GIF the kit addresses (and counts): giflib keeps a record of every image
// it has passed, so a file of endless tiny images is walked no further than this. Image
// numbers stay below 32767, the page number that asks a load for the alpha channel.
inline constexpr int kMostGifImages = 32767;

// Pictures up to this size are always allowed, whatever the file's size.
inline constexpr std::uint64_t kAlwaysAllowedBytes = std::uint64_t{64} << 20;

// Bytes of a bottom-up bitmap's pixels (rows padded to 4 bytes); 0 when it overflows.
std::uint64_t bitmapPixelBytes(std::int64_t width, std::int64_t height, int bits);

// Whether a width × height picture of `bits` per pixel may be allocated at all: positive
// sizes, within kMostPagePixels and kMostBitmapBytes.
bool pageWithinBudget(std::int64_t width, std::int64_t height, int bits);

// pageWithinBudget, and a file of `fileBytes` bytes whose coding packs at most `maxRatio`
// output bytes into one input byte can deliver the picture.
bool plausibleImage(std::int64_t width, std::int64_t height, int bits, std::uint64_t fileBytes,
                    std::uint64_t maxRatio);

// Size of the file at `path`, or -1 when it cannot be read.
std::int64_t fileSizeOf(const char* path);

}  // namespace kit
