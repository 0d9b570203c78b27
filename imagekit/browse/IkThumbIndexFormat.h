#pragma once
// The bytes of the thumbnail index file. Header: "IK6100THUMBNAIL" and a zero byte, four
// ignored bytes, the thumbnail size (signed 16-bit). Then one record per entry: L1
// (16-bit) and L1 bytes of folder text with its zero, L2 and the file name likewise,
// 15 bytes of date, the page (16-bit), S (32-bit) and S bytes of packed bitmap.
// Integers little-endian. A record with S 0 carries no thumbnail.
//
// Reading trusts no size: a record whose lengths run past the end of the file, whose
// texts lack their zero, or whose bitmap is inconsistent or larger than the thumbnail
// size ends the reading, and no allocation exceeds one valid record.

#include "browse/IkSortData.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

inline constexpr char kThumbIndexId[] = "IK6100THUMBNAIL";
inline constexpr std::size_t kThumbIndexHeaderBytes = 22;
// Shorter files cannot hold the header and one record.
inline constexpr std::size_t kThumbIndexMinBytes = 37;

QByteArray encodeThumbIndexHeader(std::int16_t imageSize);

// The record of an entry; the thumbnail is stored only when it is a usable bitmap whose
// sides do not exceed imageSize (else S is 0). Nothing when a text is too long.
std::optional<QByteArray> encodeThumbIndexRecord(const TIKSORTDATA& entry, std::int16_t imageSize);

// The largest packed bitmap a thumbnail of imageSize may take (32 bits, 256 colours).
std::size_t maxThumbBytes(std::int16_t imageSize);

struct ThumbIndexRecord {
    QString PathName, FileName;
    char FileDate[kFileDateBytes] = {};
    std::int16_t Page = 0;
    QByteArray Image;  // empty: no thumbnail
};

// Reads records one after another from an open device.
class ThumbIndexReader {
public:
    explicit ThumbIndexReader(QIODevice& device) : device_(device) {}
    // Checks size and identification; the stored thumbnail size.
    std::optional<std::int16_t> readHeader();
    // The next whole, consistent record; nothing at the end or at the first damage.
    std::optional<ThumbIndexRecord> next();

private:
    std::size_t bytesLeft() const;
    bool readExact(char* out, std::size_t count);
    std::optional<QString> readText();

    QIODevice& device_;
    std::int16_t imageSize_ = 0;
    bool stopped_ = false;
};
