// The image file component: its setters, the calls it makes, its events and ErrorCode.
#include "FileFixture.h"
#include "Ikfile.h"

#include <QStringList>

using namespace Ikdllprocs;

namespace {

using Ikfile = FileKit;

TEST_F(Ikfile, SettersClampAndIgnoreAsTheComponentDefines) {
    TVIkFile file;
    file.SetJpegQuality(150);
    EXPECT_EQ(file.JpegQuality(), 100);
    file.SetJpegQuality(-3);
    EXPECT_EQ(file.JpegQuality(), 0);
    file.SetPalRed(300);
    EXPECT_EQ(file.PalRed(), 255);
    file.SetLoadPage(-1);
    EXPECT_EQ(file.LoadPage(), 0);
    file.SetGifAnimeDelay(-5);
    EXPECT_EQ(file.GifAnimeDelay(), 0);
    file.SetVectorWidth(-1);
    EXPECT_EQ(file.VectorWidth(), 0);
    file.SetFileName("/kept.tif");
    file.SetFileName(QString(4096, 'a'));
    EXPECT_EQ(file.FileName(), "/kept.tif");
    // A path longer than the old 260 characters is normal here and is kept.
    const QString deep = "/" + QString(300, 'd') + "/page.tif";
    file.SetFileName(deep);
    EXPECT_EQ(file.FileName(), deep);
    const QString ext = file.FileExt();
    file.SetFileExt(QString(260, 'x'));
    EXPECT_EQ(file.FileExt(), ext);
}

TEST_F(Ikfile, LoadsTheChosenPageAndFiresTheEventPair) {
    const std::string tiff = path("three.tif");
    ASSERT_EQ(shell("convert -size 20x10 xc:red -size 30x15 xc:lime -size 40x20 xc:blue '" + tiff + "'"), 0);
    TVIkFile file;
    QStringList events;
    file.OnStartLoad = [&](TVIkFile*, const QString& name) { events << "start " + name; };
    file.OnEndLoad = [&](TVIkFile*, const QString& name) { events << "end " + name; };
    file.SetFileName(QString::fromStdString(tiff));
    file.SetLoadPage(2);
    ASSERT_TRUE(file.LoadFile(vikLoad));
    KitImage third(file.ImgHandle());
    EXPECT_EQ(pixels(third.get()).width, 40);
    EXPECT_EQ(file.ErrorCode(), 0);
    EXPECT_EQ(events, QStringList({"start " + file.FileName(), "end " + file.FileName()}));
    ASSERT_TRUE(file.GetImagefileType());
    EXPECT_EQ(file.PageCount(), 3);
    EXPECT_EQ(file.ImgWidth(), 40);
    EXPECT_EQ(file.BitCount(), 24);

    // A failed load still fires both events and leaves no image.
    events.clear();
    file.SetFileName(QString::fromStdString(path("missing.png")));
    EXPECT_FALSE(file.LoadFile(vikLoad));
    EXPECT_EQ(file.ImgHandle(), 0u);
    EXPECT_EQ(file.ErrorCode(), IK_ERR_FILE_OPEN);
    EXPECT_EQ(events.size(), 2);
    // Formats the kit does not build report 14, still between the two events.
    events.clear();
    EXPECT_FALSE(file.LoadFile(vikLoadWMF));
    EXPECT_EQ(file.ErrorCode(), 14);
    EXPECT_EQ(events.size(), 2);
}

TEST_F(Ikfile, SavesTiffPagesAndRelaysProgress) {
    TVIkFile file;
    KitImage page(IkCreateImage(200, 300, 1, 255, 255, 255, 0, 0, 0, 0));
    file.SetImgHandle(page.get());
    file.SetFileName(QString::fromStdString(path("out.tif")));
    file.SetTiffAppend(true);
    QList<int> percents;
    file.OnProgress = [&](TVIkFile*, std::int16_t percent) { percents << percent; };
    ASSERT_TRUE(file.SaveFile(vikSaveTIFFGroup4));
    ASSERT_TRUE(file.SaveFile(vikSaveTIFFGroup4));
    EXPECT_EQ(file.ImgHandle(), page.get());
    EXPECT_FALSE(percents.isEmpty());
    EXPECT_EQ(percents.last(), 100);
    file.SetLoadPage(1);
    ASSERT_TRUE(file.GetImagefileType());
    EXPECT_EQ(file.PageCount(), 2);
    EXPECT_EQ(file.ImageFileType(), 12);

    // With a caption the library shows its own progress: no OnProgress.
    percents.clear();
    file.SetCaption("保存");
    ASSERT_TRUE(file.SaveFile(vikSaveTIFFLZW));
    EXPECT_TRUE(percents.isEmpty());
    file.SetCaption("");

    // Cancel from the progress event stops the save and leaves the file as it was.
    const std::vector<std::uint8_t> before = fileBytes(path("out.tif"));
    file.OnProgress = [&](TVIkFile* sender, std::int16_t) { sender->SetCancel(true); };
    EXPECT_FALSE(file.SaveFile(vikSaveTIFFPackbits));
    EXPECT_EQ(file.ErrorCode(), IK_ERR_CANCELLED);
    EXPECT_EQ(fileBytes(path("out.tif")), before);

    // CCITT for a colour page is refused with the library's status.
    KitImage colour(IkCreateImage(20, 20, 24, 1, 2, 3, 0, 0, 0, 0));
    file.SetImgHandle(colour.get());
    file.OnProgress = nullptr;
    EXPECT_FALSE(file.SaveFile(vikSaveTIFFGroup3_2D));
    EXPECT_EQ(file.ErrorCode(), IK_ERR_FORMAT);
    EXPECT_EQ(fileBytes(path("out.tif")), before);
}

TEST_F(Ikfile, TiffJpegHandsTheQualityWhereOthersHandTheColourSpace) {
    TVIkFile file;
    KitImage colour(IkCreateImage(64, 64, 24, 200, 30, 60, 0, 0, 0, 0));
    file.SetImgHandle(colour.get());
    file.SetFileName(QString::fromStdString(path("q.tif")));
    file.SetTiffColorSpace(vikCMYK);
    ASSERT_TRUE(file.SaveFile(vikSaveTIFFLZW));
    EXPECT_NE(tiffinfo(path("q.tif")).find("separated"), std::string::npos);
    // The quality 1 would be an invalid colour space; as JPEG quality it is accepted.
    file.SetJpegQuality(1);
    ASSERT_TRUE(file.SaveFile(vikSaveTIFFJPEG));
    const std::string info = tiffinfo(path("q.tif"));
    EXPECT_NE(info.find("JPEG"), std::string::npos) << info;
    EXPECT_NE(info.find("YCbCr"), std::string::npos) << info;
}

TEST_F(Ikfile, DialogsAndTransfersAreNotBuilt) {
    TVIkFile file;
    EXPECT_FALSE(file.OpenFileDlg());
    EXPECT_EQ(file.ErrorCode(), 14);
    EXPECT_FALSE(file.FTPGetFile(QString(260, 's'), "u", "p", "r", 21));
    EXPECT_EQ(file.ErrorCode(), 5);
    EXPECT_FALSE(file.HTTPGetFile("s", "u", "p", "r", 80));
    EXPECT_EQ(file.ErrorCode(), 14);
}

}  // namespace
