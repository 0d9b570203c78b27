#include "BrowseFixture.h"

#include "browse/IkThumbMaker.h"
#include "browse/Ikthumb.h"

#include "Ikdllprocs.h"
#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <QFile>

#include <cstdlib>
#include <cstring>

void BrowseFolder::SetUp() {
    attachment_ = std::make_unique<IkAttachment>(vikGroupMain);
    ASSERT_NE(Ikdllprocs::IkFileType, nullptr) << "Ik7File.so not loaded";
    dir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(dir_->isValid());
    liveBefore_ = platform::globalLiveCount();
}

void BrowseFolder::TearDown() {
    FreeSortDataList(entries);
    EXPECT_EQ(platform::globalLiveCount(), liveBefore_) << "global blocks leaked";
    attachment_.reset();
}

void BrowseFolder::makeTiff(const QString& name, int pages, int width, int height) {
    QString command = QStringLiteral("convert -size %1x%2").arg(width).arg(height);
    const char* colours[] = {"red", "green", "blue", "white", "black"};
    for (int i = 0; i < pages; ++i) command += QStringLiteral(" xc:") + QLatin1String(colours[i % 5]);
    command += QStringLiteral(" '") + path(name) + QStringLiteral("' >/dev/null 2>&1");
    ASSERT_EQ(std::system(command.toUtf8().constData()), 0) << command.toStdString();
}

void BrowseFolder::makeUndecodable(const QString& name) {
    const QString command = QStringLiteral("convert -size 40x30 xc:red -compress lzw '%1' >/dev/null 2>&1").arg(path(name));
    ASSERT_EQ(std::system(command.toUtf8().constData()), 0);
    QByteArray bytes = readBytes(name);
    ASSERT_GT(bytes.size(), 40);
    for (int i = 8; i < 24; ++i) bytes[i] = '\xFF';
    writeBytes(name, bytes);
}

void BrowseFolder::writeBytes(const QString& name, const QByteArray& bytes) {
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray BrowseFolder::readBytes(const QString& name) const {
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<std::string> namesOf(const std::vector<TIKSORTDATA>& entries) {
    std::vector<std::string> names;
    for (const TIKSORTDATA& entry : entries) names.push_back(entry.FileName.toStdString() + " " + std::to_string(entry.Page));
    return names;
}

IKHANDLE makeThumb(int width, int height) {
    const std::uint32_t stride = platform::dibStride(width, 24);
    const std::size_t bytes = sizeof(platform::BitmapInfoHeader) + std::size_t{stride} * height;
    const platform::GlobalHandle handle = platform::globalAlloc(bytes, true);
    platform::GlobalLock lock(handle);
    if (!lock) return 0;
    platform::BitmapInfoHeader header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    std::memcpy(lock.data(), &header, sizeof header);
    auto* pixels = lock.as<std::uint8_t>() + sizeof header;
    for (std::size_t i = 0; i < bytes - sizeof header; ++i) pixels[i] = static_cast<std::uint8_t>(i);
    return handle;
}

bool BrowseFolder::listInto(TVIkThumb& thumb, const QString& fileExt, TVIkThumbnailReadMode mode) const {
    thumb.SetFilePath(folder() + "/");
    thumb.SetFileExt(fileExt);
    thumb.SetReadMode(mode);
    return thumb.GetFiles() == 1;
}

QByteArray blockBytes(IKHANDLE handle) {
    platform::GlobalLock lock(handle);
    return lock ? QByteArray(lock.as<const char>(), static_cast<qsizetype>(lock.size())) : QByteArray();
}

void BrowseFolder::expectThumbnailsAsMadeAlone(const TVIkThumb& thumb) const {
    for (const TIKSORTDATA& e : thumb.Entries()) {
        SCOPED_TRACE(e.FileName.toStdString());
        const IKHANDLE alone = MakeThumbnail(path(e.FileName), e.Page, thumb.ImageSize());
        ASSERT_NE(alone, 0u);
        EXPECT_EQ(blockBytes(e.Thumb), blockBytes(alone));
        Ikdllprocs::IkFreeMemory(alone);
    }
}
