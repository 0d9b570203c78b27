#pragma once
// Tests that call the kit libraries as the program does: attached, through the table.

#include "IkAttachment.h"
#include "Ikdllprocs.h"
#include "support/KitImage.h"

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

