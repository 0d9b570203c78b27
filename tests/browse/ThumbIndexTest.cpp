// The thumbnail index file: its exact bytes, restoring a list in its stored order,
// stale thumbnails, damaged and hostile files, and writing that never damages.
#include "BrowseFixture.h"

#include "browse/IkFileNames.h"
#include "browse/IkListing.h"
#include "browse/IkThumbIndex.h"
#include "browse/IkThumbIndexFormat.h"
#include "platform/GlobalMemory.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <sys/resource.h>

#include <chrono>

using namespace IkBrowse;

using Names = std::vector<std::string>;

namespace {

QByteArray int16Bytes(std::int16_t value) {
    char out[2];
    qToLittleEndian(value, out);
    return QByteArray(out, 2);
}

QByteArray uint32Bytes(std::uint32_t value) {
    char out[4];
    qToLittleEndian(value, out);
    return QByteArray(out, 4);
}

QByteArray textField(const QByteArray& text) { return int16Bytes(std::int16_t(text.size() + 1)) + text + '\0'; }

// A record as the layout gives it: texts, 15 date bytes, page, size and image bytes.
QByteArray recordBytes(const QByteArray& folder, const QByteArray& name, const QByteArray& date, std::int16_t page,
                       std::uint32_t size, const QByteArray& image) {
    return textField(folder) + textField(name) + date.leftJustified(15, '\0', true) + int16Bytes(page) +
           uint32Bytes(size) + image;
}

// A 40-byte 24-bit bitmap header.
QByteArray dibHeader(std::int32_t width, std::int32_t height, std::uint32_t size = 40) {
    QByteArray header(40, '\0');
    qToLittleEndian(size, header.data());
    qToLittleEndian(width, header.data() + 4);
    qToLittleEndian(height, header.data() + 8);
    qToLittleEndian(std::uint16_t(1), header.data() + 12);
    qToLittleEndian(std::uint16_t(24), header.data() + 14);
    return header;
}

long maxResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

class ThumbIndex : public BrowseFolder {
protected:
    QString index() const { return path("thumbs.idx"); }
    IkListSettings listing(TVIkSort sort = vikSortNone, TVIkSortOrder order = vikSortOrderInc,
                           std::int16_t imageSize = 96) const {
        IkListSettings settings;
        settings.FilePath = folder();
        settings.FileExt = "TIF";
        settings.ReadMode = vikThumbRdMultiImg;
        settings.Sort = sort;
        settings.SortOrder = order;
        settings.ImageSize = imageSize;
        settings.ThumbnailFile = index();
        return settings;
    }
    void list(const IkListSettings& settings) {
        QStringList extList;
        ASSERT_EQ(ListFiles(settings, entries, extList).Result, 1);
    }
    // Lists the folder, gives every entry a 96 × 64 thumbnail and writes the index.
    void writeListedIndex(TVIkSort sort, TVIkSortOrder order) {
        list(listing(sort, order));
        for (TIKSORTDATA& entry : entries) entry.Thumb = makeThumb(96, 64);
        std::uint16_t errorCode = 0;
        ASSERT_TRUE(WriteThumbIndexFile(index(), 96, entries, errorCode));
    }
    void readIndex(std::int16_t imageSize = 96) {
        ReadThumbIndexFile({index(), imageSize, vikSortDateLastWriteTime, {"TIF"}}, entries);
    }
};

TEST_F(ThumbIndex, RecordsAreWrittenByteForByteAndReadBack) {
    TIKSORTDATA entry;
    entry.PathName = "/f";
    entry.FileName = "n.tif";
    setFileDate(entry, "20240102030405");
    entry.Page = 3;
    entry.Thumb = makeThumb(2, 1);
    entries.push_back(entry);
    std::uint16_t errorCode = 0;
    ASSERT_TRUE(WriteThumbIndexFile(index(), 96, entries, errorCode));

    const QByteArray image = blockBytes(entry.Thumb);
    ASSERT_EQ(image.size(), 48);
    const QByteArray expected = QByteArray("IK6100THUMBNAIL", 16) + QByteArray(4, '\0') + int16Bytes(96) +
                                recordBytes("/f", "n.tif", "20240102030405", 3, 48, image);
    EXPECT_EQ(readBytes("thumbs.idx"), expected);

    QFile file(index());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ThumbIndexReader reader(file);
    EXPECT_EQ(reader.readHeader(), std::optional<std::int16_t>(96));
    const std::optional<ThumbIndexRecord> record = reader.next();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->PathName, "/f");
    EXPECT_EQ(record->FileName, "n.tif");
    EXPECT_STREQ(record->FileDate, "20240102030405");
    EXPECT_EQ(record->Page, 3);
    EXPECT_EQ(record->Image, image);
    EXPECT_FALSE(reader.next());
}

TEST_F(ThumbIndex, ARestoredListKeepsItsOrderAndNewFilesFollowUnsorted) {
    makeTiff("b.tif", 2);
    makeTiff("a.tif", 1);
    writeListedIndex(vikSortFileName, vikSortOrderDec);
    ASSERT_EQ(namesOf(entries), (Names{"b.tif 1", "b.tif 0", "a.tif 0"}));
    std::vector<QByteArray> thumbs;
    for (const TIKSORTDATA& entry : entries) thumbs.push_back(blockBytes(entry.Thumb));
    FreeSortDataList(entries);

    makeTiff("0.tif", 1);
    list(listing(vikSortFileName, vikSortOrderInc));
    ASSERT_EQ(namesOf(entries), (Names{"b.tif 1", "b.tif 0", "a.tif 0", "0.tif 0"}));
    for (std::size_t i = 0; i < thumbs.size(); ++i) EXPECT_EQ(blockBytes(entries[i].Thumb), thumbs[i]) << i;
    EXPECT_EQ(entries[3].Thumb, 0u);
}

TEST_F(ThumbIndex, ThumbnailsOfAnotherSizeOrOfChangedFilesAreMadeAgain) {
    makeTiff("b.tif", 2);
    makeTiff("a.tif", 1);
    writeListedIndex(vikSortFileName, vikSortOrderDec);
    FreeSortDataList(entries);

    // Written at 96, read at 120: entries and order restored, no thumbnail kept.
    list(listing(vikSortFileName, vikSortOrderInc, 120));
    EXPECT_EQ(namesOf(entries), (Names{"b.tif 1", "b.tif 0", "a.tif 0"}));
    for (const TIKSORTDATA& entry : entries) EXPECT_EQ(entry.Thumb, 0u);
    FreeSortDataList(entries);

    // A file written since: its entries lose their thumbnails, the others keep them.
    QFile changed(path("a.tif"));
    ASSERT_TRUE(changed.open(QIODevice::ReadWrite));
    ASSERT_TRUE(changed.setFileTime(QDateTime::currentDateTimeUtc().addDays(1), QFileDevice::FileModificationTime));
    changed.close();
    list(listing(vikSortFileName, vikSortOrderInc, 96));
    ASSERT_EQ(namesOf(entries), (Names{"b.tif 1", "b.tif 0", "a.tif 0"}));
    EXPECT_NE(entries[0].Thumb, 0u);
    EXPECT_NE(entries[1].Thumb, 0u);
    EXPECT_EQ(entries[2].Thumb, 0u);
    EXPECT_EQ(fileDateText(entries[2]), GetFileDateTimeEx("a.tif", folder(), vikSortDateLastWriteTime));
}

TEST_F(ThumbIndex, AFileCutShortYieldsTheWholeRecordsBeforeTheCut) {
    makeTiff("a.tif", 1);
    makeTiff("b.tif", 1);
    makeTiff("c.tif", 1);
    writeListedIndex(vikSortFileName, vikSortOrderInc);
    const QByteArray whole = readBytes("thumbs.idx");
    const qsizetype header = 22;
    const qsizetype record = (whole.size() - header) / 3;  // equal names and thumbnails
    ASSERT_EQ(header + 3 * record, whole.size());
    FreeSortDataList(entries);

    struct Case {
        qsizetype length;
        Names expected;
        bool kept;  // whether the index file stays
    };
    const Case cases[] = {
        {30, {}, true},                                            // too short to be an index: left alone
        {37, {}, false},                                           // inside the first record: restores nothing
        {header + record, {"a.tif 0"}, true},                      // exactly after a record
        {header + record + 10, {"a.tif 0"}, true},                 // inside a folder text
        {header + 3 * record - 1, {"a.tif 0", "b.tif 0"}, true},   // inside the last image
        {whole.size(), {"a.tif 0", "b.tif 0", "c.tif 0"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        FreeSortDataList(entries);
        writeBytes("thumbs.idx", whole.left(c.length));
        readIndex();
        EXPECT_EQ(namesOf(entries), c.expected);
        for (const TIKSORTDATA& entry : entries) EXPECT_NE(entry.Thumb, 0u);
        EXPECT_EQ(QFile::exists(index()), c.kept);
    }
}

TEST_F(ThumbIndex, LyingSizesEndTheReadingQuicklyWithoutLargeAllocations) {
    makeTiff("a.tif", 1);
    const QByteArray folderText = folder().toUtf8();
    const QByteArray date = GetFileDateTimeEx("a.tif", folder(), vikSortDateLastWriteTime).toLatin1();
    const QByteArray goodImage = dibHeader(2, 1) + QByteArray(8, '\x11');
    const QByteArray good = recordBytes(folderText, "a.tif", date, 0, 48, goodImage);
    const QByteArray head = QByteArray("IK6100THUMBNAIL", 16) + QByteArray(4, '\0') + int16Bytes(96);
    const QByteArray tail = QByteArray(200, '\0');  // bytes after the lie
    auto withSize = [&](std::uint32_t size, const QByteArray& image) {
        return recordBytes(folderText, "a.tif", date, 1, size, image);
    };
    struct Case {
        const char* what;
        QByteArray lie;
    };
    const Case cases[] = {
        {"folder length past the end", int16Bytes(32767) + folderText},
        {"negative folder length", int16Bytes(-5) + folderText},
        {"zero folder length", int16Bytes(0)},
        {"text without its zero", int16Bytes(3) + "abc" + textField("a.tif")},
        {"image size 4 GiB", withSize(0xFFFFFFFFu, goodImage)},
        {"image size past the end", withSize(48 + 201, goodImage)},
        {"image shorter than a header", withSize(8, QByteArray(8, '\0'))},
        {"huge dimensions", withSize(48, dibHeader(30000, 30000) + QByteArray(8, '\0'))},
        {"negative height", withSize(48, dibHeader(2, -1) + QByteArray(8, '\0'))},
        {"larger than the thumbnail size", withSize(40 + 292 * 2, dibHeader(97, 2) + QByteArray(584, 0))},
        {"size differs from the bitmap", withSize(52, dibHeader(2, 1) + QByteArray(12, '\0'))},
        {"foreign header size", withSize(48, dibHeader(2, 1, 12) + QByteArray(8, '\0'))},
        {"negative page", recordBytes(folderText, "a.tif", date, -1, 48, goodImage)},
    };
    const long residentBefore = maxResidentKilobytes();
    const auto start = std::chrono::steady_clock::now();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FreeSortDataList(entries);
        writeBytes("thumbs.idx", head + good + c.lie + tail);
        readIndex();
        ASSERT_EQ(namesOf(entries), (Names{"a.tif 0"}));
        EXPECT_EQ(blockBytes(entries[0].Thumb), goodImage);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_LT(maxResidentKilobytes() - residentBefore, 64 * 1024) << "kilobytes more resident memory";
}

TEST_F(ThumbIndex, AFailedWriteLeavesTheOldIndexWholeAndNoTemporaryFile) {
    const QByteArray old = "IK6100THUMBNAIL previous contents";
    writeBytes("thumbs.idx", old);
    TIKSORTDATA entry;
    entry.PathName = QString(40000, QLatin1Char('d'));  // too long for a record
    entry.FileName = "a.tif";
    entries.push_back(entry);
    std::uint16_t errorCode = 0;
    EXPECT_FALSE(WriteThumbIndexFile(index(), 96, entries, errorCode));
    EXPECT_EQ(errorCode, 6);
    EXPECT_EQ(readBytes("thumbs.idx"), old);
    EXPECT_EQ(QDir(folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"thumbs.idx"});

    // A folder that does not exist: nothing can be created.
    errorCode = 0;
    EXPECT_FALSE(WriteThumbIndexFile(path("absent/thumbs.idx"), 96, entries, errorCode));
    EXPECT_EQ(errorCode, 6);

    // No entries: the index file is deleted.
    FreeSortDataList(entries);
    EXPECT_TRUE(WriteThumbIndexFile(index(), 96, entries, errorCode));
    EXPECT_FALSE(QFile::exists(index()));
}

TEST_F(ThumbIndex, RecordsOfVanishedForeignOrUnreadableFilesAreDropped) {
    makeTiff("a.tif", 1);
    makeTiff("b.tif", 1);
    makeTiff("c.png", 1);
    writeBytes("d.tif", "not an image");
    std::vector<TIKSORTDATA> written;
    for (const char* name : {"a.tif", "b.tif", "c.png", "d.tif", "gone.tif"}) {
        TIKSORTDATA entry;
        entry.PathName = folder();
        entry.FileName = name;
        setFileDate(entry, GetFileDateTimeEx(name, folder(), vikSortDateLastWriteTime));
        written.push_back(entry);
    }
    TIKSORTDATA secondPage = written[0];
    secondPage.Page = 1;  // a.tif has one page only
    written.push_back(secondPage);
    std::uint16_t errorCode = 0;
    ASSERT_TRUE(WriteThumbIndexFile(index(), 96, written, errorCode));
    ASSERT_TRUE(QFile::remove(path("b.tif")));
    readIndex();
    EXPECT_EQ(namesOf(entries), (Names{"a.tif 0"}));
}
