#pragma once
// Names, class ids and property ids of the FlashPix layout inside a compound document:
// an image view at the root holding the source image object (storage) with its image
// contents property set and one storage per resolution level, each with a sub-image
// header (tile table) and a data stream of tiles.

#include "PropertySet.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace kit::fpx {

inline constexpr std::size_t kTileSide = 64;
// Resolution levels a file may declare: halving a 2^31-pixel side reaches one tile in 26.
inline constexpr std::uint32_t kMostLevels = 32;
// Tiles of one level: a page of the decode budget's most pixels in 64 × 64 tiles.
inline constexpr std::uint64_t kMostTiles = (std::uint64_t{1} << 30) / (kTileSide * kTileSide);
// Bytes of one stored tile (a JPEG tile is well below this; an uncompressed one is 16 KiB).
inline constexpr std::size_t kMostTileBytes = std::size_t{1} << 20;
// The header that starts the sub-image streams; their offsets count from its end.
inline constexpr std::size_t kStreamHeaderBytes = 28;
inline constexpr std::size_t kSubimageHeaderBytes = 36;
inline constexpr std::size_t kTileEntryBytes = 16;

// Tile compression types.
inline constexpr std::uint32_t kTileUncompressed = 0;
inline constexpr std::uint32_t kTileSingleColour = 1;
inline constexpr std::uint32_t kTileJpeg = 2;

// Colour spaces of the sub-image colour codes (bits 16–30) and the opacity channel.
inline constexpr std::uint32_t kSpaceMonochrome = 1;
inline constexpr std::uint32_t kSpacePhotoYcc = 2;
inline constexpr std::uint32_t kSpaceRgb = 3;
inline constexpr std::uint32_t kOpacityChannel = 0x7FFE;
inline constexpr std::uint32_t kUncalibrated = 0x80000000u;
inline constexpr std::uint32_t kNumericalUi1 = 0x11;

// Image contents property ids; the sub-image ones carry the level in bits 16–23, the JPEG
// tables their index there.
inline constexpr std::uint32_t kPidCodePage = 1;
inline constexpr std::uint32_t kPidLevels = 0x01000000;
inline constexpr std::uint32_t kPidWidth = 0x01000002;
inline constexpr std::uint32_t kPidHeight = 0x01000003;
inline constexpr std::uint32_t kPidDisplayHeight = 0x01000004;
inline constexpr std::uint32_t kPidDisplayWidth = 0x01000005;
inline constexpr std::uint32_t kPidDisplayUnits = 0x01000006;
inline constexpr std::uint32_t levelPid(std::uint32_t level, std::uint32_t field) {
    return 0x02000000u | (level & 0xFF) << 16 | field;
}
inline constexpr std::uint32_t kFieldWidth = 0, kFieldHeight = 1, kFieldColour = 2, kFieldNumerical = 3,
                               kFieldDecimation = 4;
inline constexpr std::uint32_t jpegTablePid(std::uint32_t index) { return 0x03000001u | (index & 0xFF) << 16; }
inline constexpr std::uint32_t kPidMostJpegTable = 0x03000002;
// Global info: the outputs shown (the source image) and the highest image, transform and
// operation numbers in use.
inline constexpr std::uint32_t kPidVisibleOutputs = 0x00010100;
inline constexpr std::uint32_t kPidMostImageIndex = 0x00010101;
inline constexpr std::uint32_t kPidMostTransformIndex = 0x00010102;
inline constexpr std::uint32_t kPidMostOperationIndex = 0x00010103;
// Source description: the picture's height and width.
inline constexpr std::uint32_t kPidCachedHeight = 0x10000000;
inline constexpr std::uint32_t kPidCachedWidth = 0x10000001;
// Summary information: the comments.
inline constexpr std::uint32_t kPidComments = 6;

// Units of the display size.
inline constexpr std::uint32_t kUnitInch = 0, kUnitMetre = 1, kUnitCentimetre = 2, kUnitMillimetre = 3;

inline constexpr char kImageContents[] = "\005Image Contents";
inline constexpr char kSummaryInformation[] = "\005SummaryInformation";
inline constexpr char kCompObj[] = "\001CompObj";
inline constexpr char kObjectStorePrefix[] = "Data Object Store ";
// The image view's source image and its description.
inline constexpr char kSourceImageStore[] = "Data Object Store 000001";
inline constexpr char kSourceDescription[] = "\005Data Object 000001";
inline constexpr char kGlobalInfo[] = "\005Global Info";
inline constexpr char kHeaderStream[] = "Subimage 0000 Header";
inline constexpr char kDataStream[] = "Subimage 0000 Data";

inline std::string levelStorage(std::uint32_t level) {
    char name[32];
    std::snprintf(name, sizeof(name), "Resolution %04u", level);
    return name;
}

// {56616000-C154-11CE-8553-00AA00A1F95B}: the image object.
inline constexpr ClassId kImageObjectClass = {0x00, 0x60, 0x61, 0x56, 0x54, 0xC1, 0xCE, 0x11,
                                              0x85, 0x53, 0x00, 0xAA, 0x00, 0xA1, 0xF9, 0x5B};
// {56616700-…}: the image view, the root of a file.
inline constexpr ClassId kImageViewClass = {0x00, 0x67, 0x61, 0x56, 0x54, 0xC1, 0xCE, 0x11,
                                            0x85, 0x53, 0x00, 0xAA, 0x00, 0xA1, 0xF9, 0x5B};
// {56616100-…}: a resolution level's storage.
inline constexpr ClassId kResolutionClass = {0x00, 0x61, 0x61, 0x56, 0x54, 0xC1, 0xCE, 0x11,
                                             0x85, 0x53, 0x00, 0xAA, 0x00, 0xA1, 0xF9, 0x5B};
// {56616F00-…}: the global info property set.
inline constexpr ClassId kGlobalInfoFormat = {0x00, 0x6F, 0x61, 0x56, 0x54, 0xC1, 0xCE, 0x11,
                                              0x85, 0x53, 0x00, 0xAA, 0x00, 0xA1, 0xF9, 0x5B};
// {56616080-…}: the image description property set.
inline constexpr ClassId kImageDescriptionFormat = {0x80, 0x60, 0x61, 0x56, 0x54, 0xC1, 0xCE, 0x11,
                                                    0x85, 0x53, 0x00, 0xAA, 0x00, 0xA1, 0xF9, 0x5B};
// {56616400-…}: the image contents property set.
inline constexpr ClassId kImageContentsFormat = {0x00, 0x64, 0x61, 0x56, 0x54, 0xC1, 0xCE, 0x11,
                                                 0x85, 0x53, 0x00, 0xAA, 0x00, 0xA1, 0xF9, 0x5B};
// {00010000-C154-…}: the sub-image header and data streams.
inline constexpr ClassId kSubimageClass = {0x00, 0x00, 0x01, 0x00, 0x54, 0xC1, 0xCE, 0x11,
                                           0x85, 0x53, 0x00, 0xAA, 0x00, 0xA1, 0xF9, 0x5B};
// {F29F85E0-4FF9-1068-AB91-08002B27B3D9}: summary information.
inline constexpr ClassId kSummaryFormat = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                           0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};

}  // namespace kit::fpx
