#pragma once
// What the choices of the three conversion settings dialogs mean for the pages written:
// item index of a list (-1 = nothing selected) to save code, colour conversion, resolution,
// rotation angle and file number. The build, scan and split commands call these.

#include <optional>

namespace app {

// The TIFF variants of the kit's save-format codes, with the kit's numeric values.
enum class TiffSaveCode : int {
    Noncompressed = 5,
    Ccittrle = 6,
    Group3_1D = 7,
    Group3_2D = 8,
    Group4 = 9,
    Packbits = 10,
    LZW = 11,
    JPEG = 25,
};

// The save code that keeps a source file's compression, from the kit's file type code.
TiffSaveCode saveCodeKeepingSourceType(int imageFileType);

// Whether a TIFF page of the kit's file type `imageFileType` is already stored as a page
// written with `code` would be, so that it can be copied as it is instead of encoded again.
bool copiesAsStored(int imageFileType, TiffSaveCode code);

// Build dialog, compression list: index 0 keeps the source's compression; no selection or an
// unknown index writes uncompressed.
TiffSaveCode buildSaveCode(int compressionIndex, int sourceImageFileType);

// Scan dialog, compression list; nothing when no item is selected: the page is not saved.
std::optional<TiffSaveCode> scanSaveCode(int compressionIndex);

// A colour-depth conversion: bits for the kit's colour conversion (80 = 8-bit grey scale),
// its threshold, and the bit count of a page that needs no conversion.
struct ColorConversion {
    int bits;
    int threshold;
    int skipWhenBitCount;
};

// Build dialog, colour list; nothing for index 0, no selection or an unknown index.
// The threshold spin edit's value applies to the two-colour entry only.
std::optional<ColorConversion> colorConversion(int colorIndex, int thresholdValue);

struct Resolution {
    int xDpi;
    int yDpi;
};

// Build dialog, resolution list; nothing (keep the page's resolution) for index 0, no
// selection or an unknown index. The user's own values apply to the last entry.
std::optional<Resolution> resolutionFor(int resolutionIndex, int userXDpi, int userYDpi);

// Rotation lists of the build and scan dialogs: the kit's angle in hundredths of a degree,
// negative for clockwise; nothing for index 0, no selection or an unknown index.
std::optional<int> rotationAngle(int rotationIndex);

// Split dialog, numbering list: the number in the name of the k-th exported file (1-based
// `exportOrdinal`), which holds page `pageNumber` (1-based); nothing without a scheme.
std::optional<int> exportFileNumber(int numberingIndex, int pageNumber, int exportOrdinal);

}  // namespace app
