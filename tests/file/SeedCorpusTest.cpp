// The fuzz targets' seed files, loaded as the program loads files: every seed is a valid
// file of its format and must load, with facts matching the loaded image.
#include "FileFixture.h"

#include <QDir>
#include <QDirIterator>

using namespace Ikdllprocs;

namespace {

using SeedCorpus = FileKit;

TEST_F(SeedCorpus, EverySeedLoadsWithMatchingFacts) {
    QDirIterator seeds(QStringLiteral(VZ_SOURCE_DIR "/tests/fuzz/seeds"), QDir::Files, QDirIterator::Subdirectories);
    int count = 0;
    while (seeds.hasNext()) {
        const std::string file = seeds.next().toStdString();
        SCOPED_TRACE(file);
        ++count;
        IKFILEINFO facts{};
        ASSERT_TRUE(IkFileType(file.c_str(), 0, &facts)) << IkGetErrorStatus();
        KitImage image(loadPage(file));
        ASSERT_NE(image.get(), 0u) << IkGetErrorStatus();
        IKIMAGEINFO info{};
        ASSERT_TRUE(IkGetImageType(image.get(), &info));
        EXPECT_EQ(info.width, facts.width);
        EXPECT_EQ(info.height, facts.height);
        EXPECT_EQ(info.valueA, facts.bitsPerPixel);
    }
    EXPECT_GE(count, 7);
}

}  // namespace
