#pragma once
// A temporary folder of image files made by ImageMagick, the kit attached for IKFileType,
// and a check that every global block made during a test is freed.

#include "IkAttachment.h"
#include "browse/IkSortData.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

class TVIkThumb;

class BrowseFolder : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString folder() const { return dir_->path(); }
    QString path(const QString& name) const { return dir_->filePath(name); }
    // A TIFF of `pages` pages of width × height.
    void makeTiff(const QString& name, int pages, int width = 30, int height = 20);
    // A TIFF whose header and directory read but whose LZW strip is garbage.
    void makeUndecodable(const QString& name);
    void writeBytes(const QString& name, const QByteArray& bytes);
    // Points the browser at this folder with the extension list (or one file name) and the
    // read mode, and lists; whether GetFiles succeeded.
    bool listInto(TVIkThumb& thumb, const QString& fileExt, TVIkThumbnailReadMode mode) const;
    // Checks that every entry's thumbnail is byte for byte the one its page gives on its own.
    void expectThumbnailsAsMadeAlone(const TVIkThumb& thumb) const;
    QByteArray readBytes(const QString& name) const;

    std::vector<TIKSORTDATA> entries;

private:
    std::unique_ptr<IkAttachment> attachment_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::size_t liveBefore_ = 0;
};

// Bytes of a kit block: for a bitmap its header, colour table and pixels.
QByteArray blockBytes(IKHANDLE handle);

// "name page" of each entry, in list order.
std::vector<std::string> namesOf(const std::vector<TIKSORTDATA>& entries);

// A packed 24-bit bitmap of width × height in a new global block, bytes counting up.
IKHANDLE makeThumb(int width, int height);
