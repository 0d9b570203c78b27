#include "app/ConvertTables.h"

namespace app {

TiffSaveCode saveCodeKeepingSourceType(int imageFileType) {
    switch (imageFileType) {
        case 9: return TiffSaveCode::Ccittrle;
        case 10: return TiffSaveCode::Group3_1D;
        case 11: return TiffSaveCode::Group3_2D;
        case 12: return TiffSaveCode::Group4;
        case 13: return TiffSaveCode::Packbits;
        case 14: return TiffSaveCode::LZW;
        case 29: return TiffSaveCode::JPEG;
        default: return TiffSaveCode::Noncompressed;
    }
}

bool copiesAsStored(int imageFileType, TiffSaveCode code) {
    const bool tiffOfItsOwnCode = imageFileType == 7 || (imageFileType >= 9 && imageFileType <= 14) || imageFileType == 29;
    return tiffOfItsOwnCode && saveCodeKeepingSourceType(imageFileType) == code;
}

TiffSaveCode buildSaveCode(int compressionIndex, int sourceImageFileType) {
    switch (compressionIndex) {
        case 0: return saveCodeKeepingSourceType(sourceImageFileType);
        case 2: return TiffSaveCode::Ccittrle;
        case 3: return TiffSaveCode::Group3_1D;
        case 4: return TiffSaveCode::Group3_2D;
        case 5: return TiffSaveCode::Group4;
        case 6: return TiffSaveCode::Packbits;
        case 7: return TiffSaveCode::LZW;
        case 8: return TiffSaveCode::JPEG;
        default: return TiffSaveCode::Noncompressed;  // 1, no selection, unknown
    }
}

std::optional<TiffSaveCode> scanSaveCode(int compressionIndex) {
    switch (compressionIndex) {
        case 0: return TiffSaveCode::Noncompressed;
        case 1: return TiffSaveCode::Ccittrle;
        case 2: return TiffSaveCode::Group3_1D;
        case 3: return TiffSaveCode::Group3_2D;
        case 4: return TiffSaveCode::Group4;
        case 5: return TiffSaveCode::Packbits;
        case 6: return TiffSaveCode::LZW;
        case 7: return TiffSaveCode::JPEG;
        default: return std::nullopt;
    }
}

std::optional<ColorConversion> colorConversion(int colorIndex, int thresholdValue) {
    switch (colorIndex) {
        case 1: return ColorConversion{1, thresholdValue, 1};
        case 2: return ColorConversion{4, 0, 4};
        case 3: return ColorConversion{8, 0, 8};
        case 4: return ColorConversion{16, 0, 16};
        case 5: return ColorConversion{24, 0, 24};
        case 6: return ColorConversion{32, 0, 32};
        case 7: return ColorConversion{80, 0, 8};  // grey scale: any 8-bit page is left alone
        default: return std::nullopt;
    }
}

std::optional<Resolution> resolutionFor(int resolutionIndex, int userXDpi, int userYDpi) {
    switch (resolutionIndex) {
        case 1: return Resolution{75, 75};
        case 2: return Resolution{100, 100};
        case 3: return Resolution{200, 200};
        case 4: return Resolution{300, 300};
        case 5: return Resolution{400, 400};
        case 6: return Resolution{500, 500};
        case 7: return Resolution{600, 600};
        case 8: return Resolution{userXDpi, userYDpi};
        default: return std::nullopt;
    }
}

std::optional<int> rotationAngle(int rotationIndex) {
    if (rotationIndex < 1 || rotationIndex > 3) return std::nullopt;
    return -9000 * rotationIndex;
}

std::optional<int> exportFileNumber(int numberingIndex, int pageNumber, int exportOrdinal) {
    switch (numberingIndex) {
        case 0: return pageNumber;
        case 1: return exportOrdinal;
        case 2: return 2 * exportOrdinal - 1;
        case 3: return 2 * exportOrdinal;
        default: return std::nullopt;
    }
}

}  // namespace app
