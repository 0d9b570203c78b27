#include "widgets/Histcbox.h"
#include "widgets/HistcboxRules.h"

#include "platform/ExecutableDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using widgets::THistoryComboBox;
using widgets::THistoryMode;

namespace {

QStringList list(std::initializer_list<const char*> texts) {
    QStringList out;
    for (const char* t : texts) out.append(QString::fromUtf8(t));
    return out;
}

struct AddCase {
    QStringList start;
    QString text;
    int result;
    QStringList after;
};

TEST(HistoryRules, AddTextMovesKnownTextsToTheTopAndIgnoresEmptyOnes) {
    const AddCase cases[] = {
        {list({}), QStringLiteral("a"), 1, list({"a"})},
        {list({"b", "a"}), QStringLiteral("a"), 0, list({"a", "b"})},  // a, b, a added in turn
        {list({"a", "b"}), QStringLiteral("a"), 0, list({"a", "b"})},
        {list({"a", "b"}), QStringLiteral("c"), 1, list({"c", "a", "b"})},
        {list({"a"}), QString(), 0, list({"a"})},
        {list({"a"}), QStringLiteral("A"), 1, list({"A", "a"})},  // case matters
    };
    for (const AddCase& c : cases) {
        QStringList items = c.start;
        EXPECT_EQ(widgets::addHistoryText(items, c.text), c.result) << c.text.toStdString();
        EXPECT_EQ(items, c.after) << c.text.toStdString();
    }
}

TEST(HistoryRules, FileNameGetsIniAndTheExecutableFolderOnlyWhenMissing) {
    const QString exe = QStringLiteral("/opt/vz/bin");
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("history"), QStringLiteral("/opt/vz/bin/history.ini")},
        {QStringLiteral("history.dat"), QStringLiteral("/opt/vz/bin/history.dat")},
        {QStringLiteral("/tmp/h"), QStringLiteral("/tmp/h.ini")},
        {QStringLiteral("/tmp/h.ini"), QStringLiteral("/tmp/h.ini")},
        {QStringLiteral("sub/h"), QStringLiteral("sub/h.ini")},
    };
    for (const auto& [name, path] : cases) EXPECT_EQ(widgets::historyFilePath(name, exe), path) << name.toStdString();
    EXPECT_EQ(widgets::historySaveKey(QStringLiteral("Software\\VZ\\\\")), QStringLiteral("Software\\VZ"));
}

TEST(HistoryCombo, AddTextTakesTheCurrentTextAndKeepsIt) {
    THistoryComboBox box;
    box.setEditable(true);
    box.setEditText(QStringLiteral("a"));
    EXPECT_EQ(box.AddText(), 1);
    box.setEditText(QStringLiteral("b"));
    EXPECT_EQ(box.AddText(), 1);
    box.setEditText(QStringLiteral("a"));
    EXPECT_EQ(box.AddText(), 0);
    EXPECT_EQ(box.Items(), list({"a", "b"}));
    EXPECT_EQ(box.currentText(), QStringLiteral("a"));
}

// A settings file beside the test program, removed again whatever the test's outcome.
class FileBesideExecutable {
public:
    FileBesideExecutable()
        : base_(QStringLiteral("vz_history_%1").arg(QCoreApplication::applicationPid())),
          path_(QDir(platform::executableDir()).filePath(base_ + QStringLiteral(".ini"))) {
        QFile::remove(path_);
    }
    ~FileBesideExecutable() { QFile::remove(path_); }
    const QString& baseName() const { return base_; }
    const QString& path() const { return path_; }

private:
    QString base_;
    QString path_;
};

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(HistoryCombo, SavesBesideTheExecutableWithIniAppendedAndLoadingAppends) {
    FileBesideExecutable file;
    {
        THistoryComboBox box;
        box.setObjectName(QStringLiteral("HistoryBox"));
        for (const char* t : {"c", "b", "a"}) box.AddText(QString::fromUtf8(t));
        ASSERT_TRUE(box.SaveToFile(file.baseName()));
    }
    EXPECT_EQ(readAll(file.path()),
              QByteArray("[HistoryBox]\nHistoryCount=3\nHistory0=a\nHistory1=b\nHistory2=c\n"));

    // Saving again replaces the section instead of leaving stale entries behind.
    {
        THistoryComboBox box;
        box.setObjectName(QStringLiteral("HistoryBox"));
        box.AddText(QStringLiteral("z"));
        ASSERT_TRUE(box.SaveToFile(file.baseName()));
    }
    EXPECT_EQ(readAll(file.path()), QByteArray("[HistoryBox]\nHistoryCount=1\nHistory0=z\n"));

    THistoryComboBox other;
    other.setObjectName(QStringLiteral("Elsewhere"));
    other.SetSaveSectionName(QStringLiteral("HistoryBox"));
    other.addItems(list({"x", "y"}));
    ASSERT_TRUE(other.LoadFromFile(file.baseName()));
    EXPECT_EQ(other.Items(), list({"x", "y", "z"}));
}

struct DamagedCase {
    const char* file;
    QStringList loaded;
};

// The stored count is not trusted: entries are read while they exist and no more than it says.
TEST(HistoryCombo, DamagedCountNeitherHangsNorInventsEntries) {
    const DamagedCase cases[] = {
        {"[H]\nHistoryCount=2000000000\nHistory0=a\nHistory1=b\n", list({"a", "b"})},
        {"[H]\nHistoryCount=1\nHistory0=a\nHistory1=b\n", list({"a"})},
        {"[H]\nHistoryCount=3\nHistory0=a\nHistory2=c\n", list({"a"})},
        {"[H]\nHistoryCount=-5\nHistory0=a\n", list({})},
        {"[H]\nHistoryCount=many\nHistory0=a\n", list({})},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("h.ini"));
    for (const DamagedCase& c : cases) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.file);
        f.close();
        THistoryComboBox box;
        box.setObjectName(QStringLiteral("H"));
        QElapsedTimer clock;
        clock.start();
        box.LoadFromFile(path);
        EXPECT_LT(clock.elapsed(), 1000) << c.file;
        EXPECT_EQ(box.Items(), c.loaded) << c.file;
    }
}

// The native settings store, redirected to a temporary folder for this program.
class HistoryRegistry : public testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_->path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_->path());
    }
    static void TearDownTestSuite() { dir_.reset(); }
    static QString storeFile() { return dir_->filePath(QStringLiteral("VidiraZorod/VidiraZorod.conf")); }
    static std::unique_ptr<QTemporaryDir> dir_;
};
std::unique_ptr<QTemporaryDir> HistoryRegistry::dir_;

TEST_F(HistoryRegistry, SavesAndLoadsUnderTheKeyInTheRedirectedStore) {
    {
        THistoryComboBox box;
        box.setObjectName(QStringLiteral("Recent"));
        for (const char* t : {"c", "b", "a"}) box.AddText(QString::fromUtf8(t));
        ASSERT_TRUE(box.SaveToRegistry(QStringLiteral("Software\\VZTest\\Save\\\\")));
    }
    ASSERT_TRUE(QFile::exists(storeFile()));
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("VidiraZorod"), QStringLiteral("VidiraZorod"));
    EXPECT_EQ(store.value(QStringLiteral("Software/VZTest/Save/Recent/HistoryCount")).toInt(), 3);
    EXPECT_EQ(store.value(QStringLiteral("Software/VZTest/Save/Recent/History2")).toString(), QStringLiteral("c"));

    THistoryComboBox box;
    box.setObjectName(QStringLiteral("Recent"));
    box.addItem(QStringLiteral("old"));
    ASSERT_TRUE(box.LoadFromRegistry(QStringLiteral("Software\\VZTest\\Save")));
    EXPECT_EQ(box.Items(), list({"old", "a", "b", "c"}));

    store.setValue(QStringLiteral("Software/VZTest/Damaged/Recent/HistoryCount"), 2000000000);
    store.setValue(QStringLiteral("Software/VZTest/Damaged/Recent/History0"), QStringLiteral("only"));
    store.sync();
    THistoryComboBox damaged;
    damaged.setObjectName(QStringLiteral("Recent"));
    damaged.LoadFromRegistry(QStringLiteral("Software\\VZTest\\Damaged"));
    EXPECT_EQ(damaged.Items(), list({"only"}));
}

struct ModeCase {
    THistoryMode mode;
    bool loads;
    bool saves;
};

// Loading after creation and saving at destruction follow SaveMode; the key wins over the file.
TEST_F(HistoryRegistry, CreationLoadsAndDestructionSavesAsTheModeSays) {
    const ModeCase cases[] = {
        {THistoryMode::hsAuto, true, true},
        {THistoryMode::hsManual, false, false},
        {THistoryMode::hsAutoSave, false, true},
        {THistoryMode::hsAutoLoad, true, false},
    };
    QTemporaryDir dir;
    const QString unusedFile = dir.filePath(QStringLiteral("unused.ini"));
    int round = 0;
    for (const ModeCase& c : cases) {
        const QString key = QStringLiteral("Software\\VZTest\\Mode%1").arg(++round);
        {
            THistoryComboBox seed;
            seed.setObjectName(QStringLiteral("Box"));
            seed.AddText(QStringLiteral("stored"));
            ASSERT_TRUE(seed.SaveToRegistry(key));
        }
        {
            THistoryComboBox box;
            box.setObjectName(QStringLiteral("Box"));
            box.SetSaveMode(c.mode);
            box.SetSaveKeyName(key);
            box.SetSaveFileName(unusedFile);
            QCoreApplication::processEvents();
            EXPECT_EQ(box.Items(), c.loads ? list({"stored"}) : list({})) << round;
            box.AddText(QStringLiteral("new"));
        }
        THistoryComboBox check;
        check.setObjectName(QStringLiteral("Box"));
        check.SetSaveMode(THistoryMode::hsManual);
        check.LoadFromRegistry(key);
        const QStringList expected = !c.saves ? list({"stored"}) : c.loads ? list({"new", "stored"}) : list({"new"});
        EXPECT_EQ(check.Items(), expected) << round;
        EXPECT_FALSE(QFile::exists(unusedFile)) << round;
    }
}

}  // namespace
