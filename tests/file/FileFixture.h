#pragma once
// Tests of Ik7File.so as the program calls it: the kit attached, calls through the table,
// fixtures written at test time by ImageMagick and the libtiff tools.

#include "IkAttachment.h"
#include "Ikdllprocs.h"
#include "support/KitImage.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Pixels as R, G, B, A bytes, rows from the top.
struct Rgba {
    std::int32_t width = 0, height = 0;
    std::vector<std::uint8_t> bytes;
};

class FileKit : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A path inside this test's temporary folder.
    std::string path(const std::string& name) const;
    // Runs a shell command; its exit status.
    static int shell(const std::string& command);
    // ImageMagick's reading of a page (upright), as RGBA.
    static Rgba reference(const std::string& file, int page = 0);
    // A kit image as RGBA (colour table resolved); empty for no image.
    static Rgba pixels(IKHANDLE image);
    // Largest channel difference; -1 when the sizes differ.
    static int difference(const Rgba& a, const Rgba& b, bool withAlpha = false);
    static std::vector<std::uint8_t> fileBytes(const std::string& file);
    // The text tiffinfo prints for a file.
    static std::string tiffinfo(const std::string& file);

private:
    std::unique_ptr<IkAttachment> attachment_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::size_t liveBefore_ = 0;
};

inline IKHANDLE loadPage(const std::string& file, int page = 0) {
    return Ikdllprocs::IkFileLoad(file.c_str(), page, 0, 0, nullptr, "", "", "");
}
