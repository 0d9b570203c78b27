#include "browse/IkThumbIndexFormat.h"

#include "platform/Dib.h"
#include "platform/GlobalMemory.h"

#include <QtEndian>

#include <cstring>
#include <limits>

namespace {

void appendInt16(QByteArray& out, std::int16_t value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void appendUInt32(QByteArray& out, std::uint32_t value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

bool appendText(QByteArray& out, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    if (bytes.size() + 1 > std::numeric_limits<std::int16_t>::max() || bytes.contains('\0')) return false;
    appendInt16(out, static_cast<std::int16_t>(bytes.size() + 1));
    out.append(bytes);
    out.append('\0');
    return true;
}

// Bytes of a packed bitmap the reader accepts for a thumbnail of imageSize, or 0.
std::size_t thumbBytes(const platform::BitmapInfoHeader& header, std::size_t available, std::int16_t imageSize) {
    if (header.biSize != sizeof header || header.biWidth < 1 || header.biHeight < 1) return 0;
    if (header.biWidth > imageSize || header.biHeight > imageSize) return 0;
    if (!platform::dibIsUsable(header, available)) return 0;
    const std::size_t bytes =
        std::size_t{platform::dibPixelOffset(header)} + std::size_t{platform::dibImageBytes(header)};
    return bytes <= available ? bytes : 0;
}

}  // namespace

std::size_t maxThumbBytes(std::int16_t imageSize) {
    if (imageSize < 1) return 0;
    const auto side = static_cast<std::size_t>(imageSize);
    return sizeof(platform::BitmapInfoHeader) + 256 * sizeof(platform::RgbQuad) + 3 * 4 + side * side * 4;
}

QByteArray encodeThumbIndexHeader(std::int16_t imageSize) {
    QByteArray out(kThumbIndexId, sizeof kThumbIndexId);
    out.append(4, '\0');
    appendInt16(out, imageSize);
    return out;
}

std::optional<QByteArray> encodeThumbIndexRecord(const TIKSORTDATA& entry, std::int16_t imageSize) {
    QByteArray out;
    if (!appendText(out, entry.PathName) || !appendText(out, entry.FileName)) return std::nullopt;
    out.append(entry.FileDate, kFileDateSignificant);
    appendInt16(out, entry.Page);
    platform::GlobalLock lock(entry.Thumb);
    std::size_t bytes = 0;
    if (lock && lock.size() >= sizeof(platform::BitmapInfoHeader))
        bytes = thumbBytes(*lock.as<platform::BitmapInfoHeader>(), lock.size(), imageSize);
    appendUInt32(out, static_cast<std::uint32_t>(bytes));
    if (bytes) out.append(lock.as<const char>(), static_cast<qsizetype>(bytes));
    return out;
}

std::size_t ThumbIndexReader::bytesLeft() const {
    const qint64 size = device_.size(), pos = device_.pos();
    return size > pos ? static_cast<std::size_t>(size - pos) : 0;
}

bool ThumbIndexReader::readExact(char* out, std::size_t count) {
    if (count > bytesLeft()) return false;
    return device_.read(out, static_cast<qint64>(count)) == static_cast<qint64>(count);
}

std::optional<std::int16_t> ThumbIndexReader::readHeader() {
    char header[kThumbIndexHeaderBytes];
    if (bytesLeft() < kThumbIndexMinBytes || !readExact(header, sizeof header) ||
        std::memcmp(header, kThumbIndexId, sizeof kThumbIndexId) != 0) {
        stopped_ = true;
        return std::nullopt;
    }
    imageSize_ = qFromLittleEndian<std::int16_t>(header + 20);
    return imageSize_;
}

std::optional<QString> ThumbIndexReader::readText() {
    char lengthBytes[2];
    if (!readExact(lengthBytes, 2)) return std::nullopt;
    const std::int16_t length = qFromLittleEndian<std::int16_t>(lengthBytes);
    if (length < 1 || static_cast<std::size_t>(length) > bytesLeft()) return std::nullopt;
    QByteArray text(length, Qt::Uninitialized);
    if (!readExact(text.data(), static_cast<std::size_t>(length)) || text.back() != '\0') return std::nullopt;
    text.chop(1);
    if (text.contains('\0')) return std::nullopt;
    return QString::fromUtf8(text);
}

std::optional<ThumbIndexRecord> ThumbIndexReader::next() {
    if (stopped_) return std::nullopt;
    stopped_ = true;  // cleared again only when the whole record is read
    ThumbIndexRecord record;
    std::optional<QString> folder = readText();
    if (!folder) return std::nullopt;
    std::optional<QString> name = readText();
    if (!name) return std::nullopt;
    record.PathName = *folder;
    record.FileName = *name;
    char fixed[kFileDateSignificant + 2 + 4];
    if (!readExact(fixed, sizeof fixed)) return std::nullopt;
    std::memcpy(record.FileDate, fixed, kFileDateSignificant);
    record.FileDate[kFileDateSignificant - 1] = '\0';
    record.Page = qFromLittleEndian<std::int16_t>(fixed + kFileDateSignificant);
    const std::uint32_t imageBytes = qFromLittleEndian<std::uint32_t>(fixed + kFileDateSignificant + 2);
    if (record.Page < 0) return std::nullopt;
    if (imageBytes > 0) {
        const std::size_t bytes = imageBytes;
        if (bytes < sizeof(platform::BitmapInfoHeader) || bytes > bytesLeft() || bytes > maxThumbBytes(imageSize_))
            return std::nullopt;
        record.Image = QByteArray(static_cast<qsizetype>(bytes), Qt::Uninitialized);
        if (!readExact(record.Image.data(), bytes)) return std::nullopt;
        platform::BitmapInfoHeader header;
        std::memcpy(&header, record.Image.constData(), sizeof header);
        if (thumbBytes(header, bytes, imageSize_) != bytes) return std::nullopt;
    }
    stopped_ = false;
    return record;
}
