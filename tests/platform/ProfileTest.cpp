#include "platform/Profile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString writeFile(const QTemporaryDir& dir, const QByteArray& content) {
    const QString path = dir.filePath(QStringLiteral("test.ini"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

struct ReadCase {
    const char* content;
    const char* section;
    const char* key;
    int expected;
};

class ProfileRead : public testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, ReadsIntegerOrDefault) {
    QTemporaryDir dir;
    const ReadCase& c = GetParam();
    const QString path = writeFile(dir, c.content);
    platform::Profile profile(path);
    EXPECT_EQ(profile.readInteger(QString::fromUtf8(c.section), QString::fromUtf8(c.key), 77), c.expected)
        << c.content;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileRead,
    testing::Values(ReadCase{"[SET]\nM_TOP=12\n", "SET", "M_TOP", 12},
                    ReadCase{"[set]\nm_top=12\n", "SET", "M_TOP", 12},        // names ignore case
                    ReadCase{"[SET]\r\nM_TOP=12\r\n", "set", "m_Top", 12},    // CR LF lines
                    ReadCase{"[ SET ]\n  M_TOP = -5000 \n", "SET", "M_TOP", -5000},
                    ReadCase{"[SET]\nM_TOP=abc\n", "SET", "M_TOP", 77},       // not an integer
                    ReadCase{"[SET]\nM_TOP=12abc\n", "SET", "M_TOP", 77},
                    ReadCase{"[SET]\nM_TOP=\n", "SET", "M_TOP", 77},
                    ReadCase{"[SET]\nM_TOP=--3\n", "SET", "M_TOP", 77},
                    ReadCase{"[SET]\nM_TOP=99999999999\n", "SET", "M_TOP", 77},  // out of 32 bits
                    ReadCase{"[SET]\nM_TOP=0x1F\n", "SET", "M_TOP", 31},
                    ReadCase{"[SET]\nM_TOP=$10\n", "SET", "M_TOP", 16},
                    ReadCase{"[SET]\nM_LEFT=3\n", "SET", "M_TOP", 77},        // missing key
                    ReadCase{"[SET1]\nM_TOP=3\n", "SET", "M_TOP", 77},        // missing section
                    ReadCase{"[SET1]\nM_TOP=3\n[SET]\nX=1\n", "SET", "M_TOP", 77},  // key of another section
                    ReadCase{"[SET]\n;M_TOP=3\n", "SET", "M_TOP", 77},        // comment
                    ReadCase{"", "SET", "M_TOP", 77}));

TEST(Profile, MissingFileReadsDefaultsAndWritingCreatesIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.ini"));
    platform::Profile profile(path);
    EXPECT_EQ(profile.readInteger(QStringLiteral("SET"), QStringLiteral("ZOOM"), -1), -1);
    profile.writeInteger(QStringLiteral("SET"), QStringLiteral("ZOOM"), 3);
    profile.writeInteger(QStringLiteral("SET1"), QStringLiteral("C1_01"), -1);
    ASSERT_TRUE(profile.flush());
    EXPECT_EQ(readFile(path), QByteArray("[SET]\nZOOM=3\n\n[SET1]\nC1_01=-1\n"));
    platform::Profile again(path);
    EXPECT_EQ(again.readInteger(QStringLiteral("set1"), QStringLiteral("c1_01"), 5), -1);
}

TEST(Profile, WritingKeepsOtherLinesAndReplacesInPlace) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "; settings\n[SET]\nm_top=1\nOTHER=x\n\n[KEEP]\nA=1\n");
    platform::Profile profile(path);
    profile.writeInteger(QStringLiteral("SET"), QStringLiteral("M_TOP"), 42);
    profile.writeInteger(QStringLiteral("set"), QStringLiteral("M_LEFT"), 7);
    ASSERT_TRUE(profile.flush());
    EXPECT_EQ(readFile(path), QByteArray("; settings\n[SET]\nM_TOP=42\nOTHER=x\nM_LEFT=7\n\n[KEEP]\nA=1\n"));
}

TEST(Profile, ErasingASectionKeepsTheOthersAndFindsNoKeyOfIt) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "[A]\nX=1\n\n[Hist]\nHistory0=a\n;c\n\n[B]\nY=2\n");
    platform::Profile profile(path);
    EXPECT_TRUE(profile.containsKey(QStringLiteral("hist"), QStringLiteral("history0")));
    EXPECT_FALSE(profile.containsKey(QStringLiteral("Hist"), QStringLiteral("c")));
    profile.eraseSection(QStringLiteral("HIST"));
    EXPECT_FALSE(profile.containsKey(QStringLiteral("Hist"), QStringLiteral("History0")));
    profile.eraseSection(QStringLiteral("None"));
    ASSERT_TRUE(profile.flush());
    EXPECT_EQ(readFile(path), QByteArray("[A]\nX=1\n\n[B]\nY=2\n"));
}

TEST(Profile, UnwritableFolderFailsWithoutThrowing) {
    platform::Profile profile(QStringLiteral("/proc/no-such-folder/x.ini"));
    profile.writeInteger(QStringLiteral("SET"), QStringLiteral("M_TOP"), 1);
    EXPECT_FALSE(profile.flush());
}

}  // namespace
