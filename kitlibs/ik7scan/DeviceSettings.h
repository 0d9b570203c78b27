#pragma once
// The scan record's settings in terms of a SANE device's options, both ways.

#include "SaneOptions.h"
#include "ik7kit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scan {

enum PixelType : int { kLineArt = 0, kGrey = 1, kColour = 2, kAutomatic = 1000 };

// Pixel types the device offers: a line-art mode, or grey at depth 1, gives line-art.
std::vector<int> offeredPixelTypes(const SaneOptions& options);
// Bits per pixel the device offers for a pixel type (1; 8 or 16 for grey; 24 or 48 for colour).
std::vector<int> offeredBitDepths(const SaneOptions& options, int pixelType);
// The pixel type and bits per pixel of the bitmaps the current settings give.
int currentPixelType(const SaneOptions& options);
int currentBitsPerPixel(const SaneOptions& options);

// Sets mode and depth; IK_ERR_SCAN_UNSUPPORTED when the device has no such mode.
std::uint16_t setPixelType(SaneOptions& options, int pixelType, int bitDepth);

// The resolution in dots per inch (the horizontal one), 0 when the device has none.
double currentDpi(const SaneOptions& options);
double currentYDpi(const SaneOptions& options);
void setDpi(SaneOptions& options, double xDpi, double yDpi);

// The scan area in millimetres.
struct AreaMm {
    double left = 0, top = 0, right = 0, bottom = 0;
};
bool currentArea(const SaneOptions& options, AreaMm& area);
void setArea(SaneOptions& options, const AreaMm& area);
// The largest and smallest area the device scans, in millimetres.
bool physicalSize(const SaneOptions& options, double& width, double& height);
bool minimumSize(const SaneOptions& options, double& width, double& height);

// The source option's entries for flatbed and feeder; whether the current one feeds.
std::string feederChoice(const SaneOptions& options, bool duplex);
std::string flatbedChoice(const SaneOptions& options);
bool feederSelected(const SaneOptions& options);

// A record value -1000 … 1000 (0 neutral) onto an option's range, and back.
double toOptionLevel(int value, const NumberConstraint& range);
int fromOptionLevel(double level, const NumberConstraint& range);

// Applies the record to the device; a status and the name of the setting that failed.
std::uint16_t applyRecord(SaneOptions& options, const IKSCANRECORD& record, std::string& failed);
// Applies "name=value" lines; IK_ERR_SCAN_UNSUPPORTED names the first line that failed.
std::uint16_t applyOptionLines(SaneOptions& options, const std::string& lines, std::string& failed);
// Writes back what the device uses: pixel type, bits, resolution, area in the record's unit.
void readBack(const SaneOptions& options, IKSCANRECORD& record);

}  // namespace scan
