#pragma once
// Recognising an image file by its first bytes, whatever its name.

#include <cstddef>
#include <cstdint>

namespace kit {

enum class ImageFormat { Unknown, Bmp, Jpeg, Gif, Tiff, Png, Pcx, Jp2, J2kStream, Fpx };

ImageFormat detectFormat(const std::uint8_t* head, std::size_t size);

// Reads the first bytes of the file; Unknown when it cannot be opened or is not recognised.
ImageFormat detectFileFormat(const char* path);

}  // namespace kit

namespace kit {

// True when the file is of `format` (or `alternative`); otherwise false with the status
// IK_ERR_FILE_OPEN (no such file) or IK_ERR_FILE_READ (another format).
bool fileIsFormat(const char* path, ImageFormat format, ImageFormat alternative = ImageFormat::Unknown);

}  // namespace kit
