// Listing folders into entries: pages of multi-image files, duplicates, result codes,
// sorting of a fresh list and the image count of a folder.
#include "BrowseFixture.h"

#include "browse/IkFileNames.h"
#include "browse/IkListing.h"
#include "browse/IkSlideListing.h"
#include "browse/Ikutils.h"

using namespace IkBrowse;

using Names = std::vector<std::string>;

namespace {

IkListSettings settingsFor(const QString& folder, const QString& fileExt, TVIkThumbnailReadMode mode,
                           TVIkSort sort = vikSortNone, TVIkSortOrder order = vikSortOrderInc) {
    IkListSettings settings;
    settings.FilePath = folder;
    settings.FileExt = fileExt;
    settings.ReadMode = mode;
    settings.Sort = sort;
    settings.SortOrder = order;
    return settings;
}

}  // namespace

TEST_F(BrowseFolder, FileExtNamingOneFourPageTiffListsOnePerPageOnlyInTheMultiImageModes) {
    makeTiff("four.tif", 4);
    makeTiff("other.tif", 2);
    struct Case {
        TVIkThumbnailReadMode mode;
        Names expected;
    };
    const Case cases[] = {
        {vikThumbRdDspMultiImg, {"four.tif 0", "four.tif 1", "four.tif 2", "four.tif 3"}},
        {vikThumbRdMultiImg, {"four.tif 0", "four.tif 1", "four.tif 2", "four.tif 3"}},
        {vikThumbRdDsp, {"four.tif 0"}},
        {vikThumbRd, {"four.tif 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        FreeSortDataList(entries);
        QStringList extList;
        const IkListResult result = ListFiles(settingsFor(folder(), "four.tif", c.mode), entries, extList);
        EXPECT_EQ(result.Result, 1);
        EXPECT_EQ(result.ErrorCode, 0);
        EXPECT_EQ(namesOf(entries), c.expected);
        for (const TIKSORTDATA& entry : entries) {
            EXPECT_EQ(entry.PathName, folder());
            EXPECT_EQ(entry.Thumb, 0u);
            EXPECT_EQ(entry.Selected, 0);
            EXPECT_EQ(fileDateText(entry), GetFileDateTimeEx("four.tif", folder(), vikSortDateLastWriteTime));
            EXPECT_EQ(fileDateText(entry).size(), 14);
        }
    }
}

TEST_F(BrowseFolder, AnExtensionNamedTwiceOrAFileMatchedTwiceIsListedOnce) {
    makeTiff("a.TIF", 2);
    makeTiff("b.tif", 1);
    writeBytes("c.tif", "not an image");  // unreadable: never an entry
    writeBytes("d.png", "");              // not in the list
    for (const QString fileExt : {"TIF;tif", "tif; TIF ;a.TIF;*.tif", ";tif;;"}) {
        SCOPED_TRACE(fileExt.toStdString());
        FreeSortDataList(entries);
        QStringList extList;
        ListFiles(settingsFor(folder(), fileExt, vikThumbRdMultiImg), entries, extList);
        EXPECT_EQ(namesOf(entries), (Names{"a.TIF 0", "a.TIF 1", "b.tif 0"}));
    }
    // Entries kept from before are not listed again.
    QStringList extList;
    ListFiles(settingsFor(folder(), "tif", vikThumbRdMultiImg), entries, extList);
    EXPECT_EQ(entries.size(), 3u);
}

TEST_F(BrowseFolder, NameSortIgnoresCaseAndKeepsPagesInOrderBothWays) {
    makeTiff("b.tif", 2);
    makeTiff("A.tif", 1);
    makeTiff("sub.tif", 1);
    QStringList extList;
    ListFiles(settingsFor(folder(), "b.tif;A.tif", vikThumbRdDspMultiImg, vikSortFileName), entries, extList);
    EXPECT_EQ(namesOf(entries), (Names{"A.tif 0", "b.tif 0", "b.tif 1"}));
    FreeSortDataList(entries);
    ListFiles(settingsFor(folder(), "b.tif;A.tif", vikThumbRdDspMultiImg, vikSortFileName, vikSortOrderDec), entries,
              extList);
    EXPECT_EQ(namesOf(entries), (Names{"b.tif 1", "b.tif 0", "A.tif 0"}));
}

TEST_F(BrowseFolder, SeveralFoldersAreListedInPathOrder) {
    ASSERT_TRUE(QDir(folder()).mkdir("second"));
    makeTiff("second/z.tif", 1);
    makeTiff("y.tif", 1);
    QStringList extList;
    ListFiles(settingsFor(folder() + "/second/;" + folder(), "TIF", vikThumbRdDsp), entries, extList);
    ASSERT_EQ(namesOf(entries), (Names{"z.tif 0", "y.tif 0"}));
    EXPECT_EQ(entries[0].PathName, folder() + "/second");
}

TEST_F(BrowseFolder, MissingPathOrExtensionsAndTheImageModeListNothing) {
    makeTiff("a.tif", 1);
    struct Case {
        QString filePath, fileExt;
        TVIkThumbnailReadMode mode;
        std::int32_t result;
        std::uint16_t errorCode;
    };
    const Case cases[] = {
        {"", "TIF", vikThumbRdDsp, 0, 5},
        {" ; ", "TIF", vikThumbRdDsp, 0, 5},
        {folder(), "", vikThumbRdDsp, 0, 5},
        {folder(), ";;", vikThumbRdDsp, 0, 5},
        {folder(), QString(70, QLatin1Char('x')), vikThumbRdDsp, 0, 5},
        {folder(), "TIF", vikThumbRdImage, 0, 0},
        {folder() + "/absent", "TIF", vikThumbRdDsp, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filePath.toStdString() + " | " + c.fileExt.toStdString());
        QStringList extList;
        const IkListResult result = ListFiles(settingsFor(c.filePath, c.fileExt, c.mode), entries, extList);
        EXPECT_EQ(result.Result, c.result);
        EXPECT_EQ(result.ErrorCode, c.errorCode);
        EXPECT_TRUE(entries.empty());
    }
}

TEST_F(BrowseFolder, FolderImageCountSumsThePagesOfReadableFiles) {
    makeTiff("four.tif", 4);
    makeTiff("two.TIF", 2);
    writeBytes("broken.tif", "II*\0garbage");
    ASSERT_TRUE(QDir(folder()).mkdir("dir.tif"));
    EXPECT_EQ(GetDirFileCount(folder(), "*.tif"), 6);
    EXPECT_EQ(GetDirFileCount(folder(), "four.tif"), 4);
    EXPECT_EQ(GetDirFileCount(folder(), "*.png"), 0);
}

TEST_F(BrowseFolder, SlideFoldersListImagesPerModeSkipHiddenFilesAndRefuseAnEmptyResult) {
    makeTiff("two.tif", 2);
    makeTiff("One.TIF", 1);
    makeTiff(".hidden.tif", 1);
    writeBytes("bad.tif", "not an image");
    ASSERT_TRUE(QDir(folder()).mkdir("empty"));
    struct Case {
        QString filePath, fileExt;
        bool multiImage;
        TVIkSortOrder order;
        bool result;
        Names expected;
    };
    const Case cases[] = {
        {folder(), "tif", false, vikSortOrderInc, true, {"One.TIF 0", "two.tif 0"}},
        {folder(), "tif", true, vikSortOrderDec, true, {"two.tif 1", "two.tif 0", "One.TIF 0"}},
        {folder(), "two.tif", true, vikSortOrderInc, false, {}},  // extensions only, never names
        {folder() + "/empty", "tif", false, vikSortOrderInc, false, {}},
        {"", "tif", false, vikSortOrderInc, false, {}},
        {folder(), " ", false, vikSortOrderInc, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filePath.toStdString() + " | " + c.fileExt.toStdString());
        FreeSortDataList(entries);
        IkSlideListSettings settings;
        settings.FilePath = c.filePath;
        settings.FileExt = c.fileExt;
        settings.MultiImage = c.multiImage;
        settings.Sort = vikSortFileName;
        settings.SortOrder = c.order;
        EXPECT_EQ(ListSlideFolders(settings, entries), c.result);
        EXPECT_EQ(namesOf(entries), c.expected);
    }
}
