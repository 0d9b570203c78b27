#pragma once
// Tests that call the kit libraries as the program does: attached, through the table.

#include "IkAttachment.h"
#include "Ikdllprocs.h"

#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

#include <memory>

class KitLibraries : public testing::Test {
protected:
    void SetUp() override {
        attachment_ = std::make_unique<IkAttachment>(vikGroupMain);
        ASSERT_NE(Ikdllprocs::IkCreateImage, nullptr) << "Ik7Com.so not loaded";
        liveBefore_ = platform::globalLiveCount();
    }
    void TearDown() override {
        EXPECT_EQ(platform::globalLiveCount(), liveBefore_) << "image blocks leaked";
        attachment_.reset();
    }

private:
    std::unique_ptr<IkAttachment> attachment_;
    std::size_t liveBefore_ = 0;
};

// Owns an image made by a kit call and frees it through the kit.
class KitImage {
public:
    explicit KitImage(IKHANDLE image) : image_(image) {}
    ~KitImage() {
        if (image_) Ikdllprocs::IkFreeMemory(image_);
    }
    KitImage(const KitImage&) = delete;
    KitImage& operator=(const KitImage&) = delete;
    IKHANDLE get() const { return image_; }

private:
    IKHANDLE image_;
};
