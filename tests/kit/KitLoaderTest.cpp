#include "Ikcommon.h"
#include "Ikdispinit.h"
#include "Ikinit.h"

#include "platform/ExecutableDir.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>

using namespace Ikdllprocs;

namespace {

constexpr const char* kParts[] = {"Com", "Effect", "File", "Print", "Scan", "RasToVect", "VectCom"};

class KitLoader : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Ikinit::totalCount(), 0); }
    void TearDown() override {
        Ikinit::setLibraryDir(QString());
        EXPECT_EQ(Ikinit::totalCount(), 0);
        for (int g = 0; g < kIkGroupCount; ++g) EXPECT_EQ(Ikinit::groupCount(g), 0);
    }

    // A folder holding links to the built libraries, with Ik7File.so taken from `fileDir`.
    static void linkLibraries(const QString& target, const QString& fileDir) {
        const QString built = platform::executableDir();
        for (const char* part : kParts) {
            const QString name = QStringLiteral("Ik7%1.so").arg(QLatin1String(part));
            const QString source = (QLatin1String(part) == QLatin1String("File") ? fileDir : built) + "/" + name;
            ASSERT_TRUE(QFile::exists(source)) << source.toStdString();
            ASSERT_TRUE(QFile::link(source, target + "/" + name));
        }
    }

    static std::set<std::string> filledEntries() {
        std::set<std::string> names;
        for (int i = 0; i < kIkProcCount; ++i)
            if (procEntries()[i].isSet()) names.insert(procEntries()[i].exportName);
        return names;
    }
};

TEST_F(KitLoader, TableHoldsEveryEntryOncePerLibraryInOrder) {
    // Ik7Scan.so: the 16 scanner exports, the last device error text and the dialogs' hand-over.
    const int expected[kIkLibraryCount] = {100, 48, 104, 51, 18, 1, 46};
    int counts[kIkLibraryCount] = {};
    std::set<std::string> names;
    int lastLibrary = 0;
    for (int i = 0; i < kIkProcCount; ++i) {
        const int library = static_cast<int>(procEntries()[i].library);
        EXPECT_GE(library, lastLibrary) << "entries are grouped by library in load order";
        lastLibrary = library;
        ++counts[library];
        EXPECT_TRUE(names.insert(procEntries()[i].exportName).second) << procEntries()[i].exportName;
    }
    for (int l = 0; l < kIkLibraryCount; ++l) EXPECT_EQ(counts[l], expected[l]) << kParts[l];
    EXPECT_STREQ(procEntries()[0].exportName, "IKGetMemorySize");
    EXPECT_STREQ(procEntries()[kIkProcCount - 1].exportName, "IKCnvWmfToEmfHandle");
}

TEST_F(KitLoader, FirstAttachLoadsFromTheExecutableFolderAndResolvesByName) {
    EXPECT_EQ(IkGetMemorySize, nullptr);
    {
        TVIkCommon common;
        for (int l = 0; l < kIkLibraryCount; ++l)
            EXPECT_NE(Ikinit::libraryHandle(static_cast<IkLibrary>(l)), nullptr) << kParts[l];
        // Entry IkX holds export "IKX"; exports without the prefix keep their names.
        EXPECT_NE(IkGetMemorySize, nullptr);
        EXPECT_NE(IkCopyImage, nullptr);
        EXPECT_NE(IkJpegExifInfo, nullptr);
        EXPECT_NE(Ikdllprocs::GetDibPalSize, nullptr);
        EXPECT_NE(IkVectorGdipStart, nullptr);
        EXPECT_TRUE(isEntrySet("IKGetErrorStatus"));
        // Functions the kit does not build stay empty.
        EXPECT_EQ(IkGetSystemPalette, nullptr);
        EXPECT_EQ(IkPrintDlg, nullptr);
        EXPECT_EQ(__hread, nullptr);
    }
    EXPECT_EQ(IkGetMemorySize, nullptr);
    for (int l = 0; l < kIkLibraryCount; ++l) EXPECT_EQ(Ikinit::libraryHandle(static_cast<IkLibrary>(l)), nullptr);
}

TEST_F(KitLoader, WithoutLibrariesEveryOperationReportsUnavailable) {
    QTemporaryDir empty;
    Ikinit::setLibraryDir(empty.path());
    TVIkCommon common;
    EXPECT_TRUE(filledEntries().empty());

    std::int32_t a = 0, b = 0;
    std::uint16_t r[256], g[256], bl[256];
    QImage picture(4, 4, QImage::Format_RGB32);
    const struct {
        const char* name;
        std::function<bool()> call;
    } operations[] = {
        {"GetImageType", [&] { return common.GetImageType(); }},
        {"FreeMemory", [&] { return common.FreeMemory(); }},
        {"GetDpi", [&] { return common.GetDpi(); }},
        {"SetDpi", [&] { return common.SetDpi(); }},
        {"GetDpiFromHdc", [&] { return common.GetDpiFromHdc(nullptr); }},
        {"CopyImage", [&] { return common.CopyImage() != 0; }},
        {"CreateImage", [&] { return common.CreateImage(8, 8, 24, 0, 0, 0); }},
        {"CreateVectImage", [&] { return common.CreateVectImage(1, 2, 3, 4); }},
        {"CreateVectImageEx", [&] { return common.CreateVectImageEx(vikCreateEMF, 1, 2, 3, 4); }},
        {"VectToDib", [&] { return common.VectToDib(0, 24, true, 0, 0, 0); }},
        {"DrawVectObject", [&] { return common.DrawVectObject(nullptr, 0, 0, 1, 1, 1.0, 1.0, false); }},
        {"GetMemorySize", [&] { return common.GetMemorySize() != 0; }},
        {"GetOneBitPalCount", [&] { return common.GetOneBitPalCount(a, b); }},
        {"GetPalette", [&] { return common.GetPalette(r, g, bl); }},
        {"SetPalette", [&] { return common.SetPalette(r, g, bl); }},
        {"BitmapFromDib", [&] { return common.BitmapFromDib() != nullptr; }},
        {"DibFromBitmap", [&] { return common.DibFromBitmap(&picture, nullptr); }},
        {"DeleteBitmapObject", [&] { return common.DeleteBitmapObject(&picture); }},
        {"SetToClipBrd", [&] { return common.SetToClipBrd(); }},
        {"GetFromClipBrd", [&] { return common.GetFromClipBrd(); }},
        {"IsClipBrdData", [&] { return common.IsClipBrdData(); }},
        {"ClearClipBrd", [&] { common.ClearClipBrd(); return false; }},
    };
    for (const auto& op : operations) {
        EXPECT_FALSE(op.call()) << op.name;
        EXPECT_EQ(common.ErrorCode(), 14) << op.name;
    }
    EXPECT_EQ(common.GetSystemPalette(), -1);
    EXPECT_EQ(common.ErrorCode(), 14);
    EXPECT_EQ(common.ImgHandle(), 0u);
}

TEST_F(KitLoader, MissingExportEmptiesOnlyItsEntry) {
    std::set<std::string> complete;
    {
        TVIkCommon common;
        complete = filledEntries();
    }
    ASSERT_TRUE(complete.count("IKJpegExifInfo"));

    QTemporaryDir folder;
    linkLibraries(folder.path(), platform::executableDir() + "/kitvariants/no-exif");
    Ikinit::setLibraryDir(folder.path());
    TVIkCommon common;
    EXPECT_NE(Ikinit::libraryHandle(IkLibrary::File), nullptr);
    std::set<std::string> expected = complete;
    expected.erase("IKJpegExifInfo");
    EXPECT_EQ(filledEntries(), expected);
    EXPECT_EQ(IkJpegExifInfo, nullptr);
}

TEST_F(KitLoader, AttachResultsCountTotalAndGroup) {
    const int resetsBefore = Ikdispinit::g_ResetCount;
    // A display control, a file component, then a slide control.
    auto display = std::make_unique<IkAttachment>(vikGroupMain);
    auto file = std::make_unique<IkAttachment>(vikGroupMain);
    auto slide = std::make_unique<IkAttachment>(vikGroupSlide, IkAttachment::Reset::None);
    EXPECT_EQ(display->attachResult(), 1 + 1 * 65536);
    EXPECT_EQ(file->attachResult(), 2 + 2 * 65536);
    EXPECT_EQ(slide->attachResult(), 3 + 1 * 65536);
    EXPECT_EQ(Ikdispinit::g_ResetCount, resetsBefore + 1);

    // Destroyed in another order: the libraries stay until the last one goes.
    file.reset();
    EXPECT_NE(Ikinit::libraryHandle(IkLibrary::Com), nullptr);
    display.reset();
    EXPECT_NE(Ikinit::libraryHandle(IkLibrary::Com), nullptr);
    EXPECT_NE(IkCopyImage, nullptr);
    slide.reset();
    EXPECT_EQ(Ikinit::libraryHandle(IkLibrary::Com), nullptr);
    EXPECT_EQ(IkCopyImage, nullptr);
}

TEST_F(KitLoader, DetachAtZeroStaysAtZero) {
    EXPECT_EQ(TerminateIK(vikGroupMain), 0);
    EXPECT_EQ(TerminateIK(vikGroupSlide), 0);
    EXPECT_EQ(Ikinit::groupCount(vikGroupMain), 0);
    // Counting resumes normally, and loading happens again.
    EXPECT_EQ(InitializeIK(vikGroupSlide), 1 + 65536);
    EXPECT_NE(IkCopyImage, nullptr);
    EXPECT_EQ(TerminateIK(vikGroupSlide), 0);
    EXPECT_EQ(IkCopyImage, nullptr);
}

TEST_F(KitLoader, VersionReportNamesEveryLibrary) {
    TVIkCommon common;
    const QString report = Ikinit::versionReport();
    for (const char* part : kParts)
        EXPECT_TRUE(report.contains(QStringLiteral("Ik7%1.so: Ik7%1 ").arg(QLatin1String(part)))) << part;
}

}  // namespace
