#pragma once
// A FlashPix image object opened for reading: its levels (sub-images) with their tile
// tables, colours, resolution and comment, every count, offset and size checked against
// the streams and the decode budget.

#include "FpxStorage.h"
#include "Progress.h"
#include "PropertySet.h"
#include "ik7kit.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kit::fpx {

struct TileEntry {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t compression = 0;
    std::uint32_t subtype = 0;
};

// How the channels of a level are read into colour.
enum class ColourKind { Grey, GreyOpacity, Rgb, RgbOpacity, PhotoYcc, PhotoYccOpacity };

struct Level {
    std::uint32_t storageIndex = 0;  // the n of "Resolution n"
    std::uint32_t width = 0, height = 0;
    std::uint32_t channels = 0;
    ColourKind colour = ColourKind::Grey;
    std::vector<TileEntry> tiles;
    std::uint32_t tilesAcross() const { return (width + 63) / 64; }
    bool grey() const { return colour == ColourKind::Grey || colour == ColourKind::GreyOpacity; }
};

class FpxImage {
public:
    // False with IK_ERR_FILE_READ when the bytes hold no readable FlashPix image.
    bool open(std::span<const std::uint8_t> bytes);

    // Levels from the full resolution down.
    const std::vector<Level>& levels() const { return levels_; }
    std::int32_t xdpi() const { return xdpi_; }
    std::int32_t ydpi() const { return ydpi_; }
    const std::string& comment() const { return comment_; }
    // The compression of the level's tiles: JPEG when any is, else single colour when any is.
    std::uint32_t compressionOf(const Level& level) const;

    // The level as a new 8-bit grey or 24-bit bitmap (opacity composed onto white); 0 with
    // a status on damage or when the progress callback stops.
    IKHANDLE decode(const Level& level, Progress& progress) const;

private:
    bool readLevel(std::uint32_t index, const PropertySection& contents, Level& out) const;

    std::span<const std::uint8_t> bytes_;
    GsfRef<GsfInfile> root_;
    GsfRef<GsfInfile> object_;
    std::vector<Level> levels_;
    std::map<std::uint32_t, std::vector<std::uint8_t>> jpegTables_;
    std::int32_t xdpi_ = 0, ydpi_ = 0;
    std::string comment_;
};

}  // namespace kit::fpx
