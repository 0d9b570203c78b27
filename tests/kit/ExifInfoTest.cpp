#include "KitFixture.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <libexif/exif-data.h>

#include <cstdlib>
#include <cstring>

using namespace Ikdllprocs;

namespace {

using ExifInfo = KitLibraries;

QByteArray jpegOf(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", 90);
    return bytes;
}

void addText(ExifData* data, ExifTag tag, const char* text) {
    ExifEntry* entry = exif_entry_new();
    entry->tag = tag;
    entry->format = EXIF_FORMAT_ASCII;
    entry->components = std::strlen(text) + 1;
    entry->size = static_cast<unsigned int>(entry->components);
    entry->data = static_cast<unsigned char*>(std::malloc(entry->size));
    std::memcpy(entry->data, text, entry->size);
    exif_content_add_entry(data->ifd[EXIF_IFD_0], entry);
    exif_entry_unref(entry);
}

// A JPEG photo whose EXIF block names a camera, an orientation and a 40 × 30 thumbnail.
QByteArray photoWithExif() {
    ExifData* data = exif_data_new();
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_INTEL);
    addText(data, EXIF_TAG_MAKE, "Kamerawerk");
    addText(data, EXIF_TAG_MODEL, "Modell 7");
    ExifEntry* orientation = exif_entry_new();
    exif_content_add_entry(data->ifd[EXIF_IFD_0], orientation);
    exif_entry_initialize(orientation, EXIF_TAG_ORIENTATION);
    exif_set_short(orientation->data, EXIF_BYTE_ORDER_INTEL, 6);
    exif_entry_unref(orientation);

    QImage thumbnail(40, 30, QImage::Format_RGB32);
    thumbnail.fill(qRgb(0, 0, 255));
    const QByteArray thumbBytes = jpegOf(thumbnail);
    data->data = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(thumbBytes.size())));
    std::memcpy(data->data, thumbBytes.constData(), static_cast<std::size_t>(thumbBytes.size()));
    data->size = static_cast<unsigned int>(thumbBytes.size());

    unsigned char* block = nullptr;
    unsigned int blockSize = 0;
    exif_data_save_data(data, &block, &blockSize);
    exif_data_unref(data);

    QImage photo(320, 240, QImage::Format_RGB32);
    photo.fill(qRgb(200, 10, 10));
    const QByteArray plain = jpegOf(photo);
    // SOI, then an APP1 segment holding the EXIF block, then the rest of the file.
    QByteArray file = plain.left(2);
    const unsigned length = blockSize + 2;
    file.append(char(0xFF)).append(char(0xE1)).append(char(length >> 8)).append(char(length & 0xFF));
    file.append(reinterpret_cast<const char*>(block), blockSize);
    file.append(plain.mid(2));
    std::free(block);
    return file;
}

TEST_F(ExifInfo, ReadsCameraValuesAndDecodesTheThumbnail) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("写真.jpg"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(photoWithExif());
    file.close();

    IKEXIFINFO record;
    ASSERT_TRUE(IkJpegExifInfo(path.toUtf8().constData(), &record)) << IkGetErrorStatus();
    EXPECT_STREQ(record.make, "Kamerawerk");
    EXPECT_STREQ(record.model, "Modell 7");
    EXPECT_EQ(record.orientation, 6);
    ASSERT_NE(record.thumbnail, 0u);
    KitImage thumbnail(record.thumbnail);
    IKIMAGEINFO info;
    ASSERT_TRUE(IkGetImageType(thumbnail.get(), &info));
    EXPECT_EQ(info.width, 40);
    EXPECT_EQ(info.height, 30);
    EXPECT_EQ(info.valueA, 24);
}

TEST_F(ExifInfo, FilesWithoutExifAreRefused) {
    QTemporaryDir folder;
    const QString plainPath = folder.filePath(QStringLiteral("plain.jpg"));
    QImage photo(16, 16, QImage::Format_RGB32);
    photo.fill(Qt::white);
    ASSERT_TRUE(photo.save(plainPath, "JPG"));
    const QString textPath = folder.filePath(QStringLiteral("note.jpg"));
    QFile text(textPath);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();

    IKEXIFINFO record;
    for (const QString& path : {plainPath, textPath}) {
        EXPECT_FALSE(IkJpegExifInfo(path.toUtf8().constData(), &record)) << path.toStdString();
        EXPECT_EQ(IkGetErrorStatus(), IK_ERR_FILE_READ);
    }
    EXPECT_FALSE(IkJpegExifInfo(nullptr, &record));
    EXPECT_EQ(IkGetErrorStatus(), IK_ERR_ARGUMENT);
}

}  // namespace
