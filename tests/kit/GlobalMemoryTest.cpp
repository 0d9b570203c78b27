#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <thread>
#include <vector>

using namespace platform;

TEST(GlobalMemory, LockCountsFollowLockAndUnlock) {
    GlobalBlock block(globalAlloc(100, true));
    const GlobalHandle h = block.get();
    ASSERT_NE(h, 0u);
    EXPECT_EQ(globalSize(h), 100u);
    EXPECT_EQ(globalFlags(h), 0u);

    void* first = globalLock(h);
    void* second = globalLock(h);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(globalFlags(h) & kGlobalLockCountMask, 2u);

    EXPECT_TRUE(globalUnlock(h));   // still locked once
    EXPECT_FALSE(globalUnlock(h));  // now unlocked
    EXPECT_FALSE(globalUnlock(h));  // nothing left to unlock
    EXPECT_EQ(globalFlags(h), 0u);
}

TEST(GlobalMemory, ZeroedBlocksAreZeroAndSizesAreBounded) {
    GlobalBlock block(globalAlloc(4096, true));
    GlobalLock lock(block.get());
    ASSERT_TRUE(lock);
    const std::vector<unsigned char> zeros(4096, 0);
    EXPECT_EQ(std::memcmp(lock.data(), zeros.data(), zeros.size()), 0);

    EXPECT_EQ(globalAlloc(0, true), 0u);
    EXPECT_EQ(globalAlloc(kGlobalMaxBytes + std::size_t{1}, false), 0u);
}

TEST(GlobalMemory, FreedHandleIsDeadEvenAfterItsSlotIsReused) {
    const GlobalHandle old = globalAlloc(16, false);
    ASSERT_TRUE(globalFree(old));
    EXPECT_FALSE(globalIsValid(old));
    EXPECT_EQ(globalLock(old), nullptr);
    EXPECT_EQ(globalSize(old), 0u);
    EXPECT_EQ(globalFlags(old), kGlobalInvalidHandle);
    EXPECT_FALSE(globalFree(old));

    // Churn the table so that the old slot is handed out again.
    for (int i = 0; i < 64; ++i) {
        std::vector<GlobalBlock> blocks;
        for (int j = 0; j < 8; ++j) blocks.emplace_back(globalAlloc(8, false));
        for (const GlobalBlock& b : blocks) {
            EXPECT_NE(b.get(), old);
        }
        EXPECT_EQ(globalLock(old), nullptr);
    }
}

TEST(GlobalMemory, InventedNumbersAreNotHandles) {
    std::vector<GlobalBlock> live;
    std::set<GlobalHandle> liveHandles;
    for (int i = 0; i < 100; ++i) {
        live.emplace_back(globalAlloc(8, false));
        liveHandles.insert(live.back().get());
    }
    std::mt19937 random(12345);
    int accepted = 0;
    for (int i = 0; i < 100000; ++i) {
        const GlobalHandle guess = random();
        if (!liveHandles.count(guess) && globalIsValid(guess)) ++accepted;
    }
    for (GlobalHandle small = 0; small < 4096; ++small)
        if (!liveHandles.count(small) && globalIsValid(small)) ++accepted;
    EXPECT_EQ(accepted, 0);
}

TEST(GlobalMemory, FreeingALockedBlockInvalidatesIt) {
    const GlobalHandle h = globalAlloc(32, false);
    ASSERT_NE(globalLock(h), nullptr);
    EXPECT_TRUE(globalFree(h));
    EXPECT_FALSE(globalUnlock(h));
}

TEST(GlobalMemory, ConcurrentAllocationAndFreeKeepTheTableConsistent) {
    const std::size_t before = globalLiveCount();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            std::vector<GlobalHandle> mine;
            for (int i = 0; i < 2000; ++i) {
                const GlobalHandle h = globalAlloc(16, false);
                auto* p = static_cast<int*>(globalLock(h));
                *p = t * 100000 + i;
                globalUnlock(h);
                mine.push_back(h);
                if (i % 3 == 0) {
                    globalFree(mine.front());
                    mine.erase(mine.begin());
                }
            }
            for (GlobalHandle h : mine) {
                GlobalLock lock(h);
                EXPECT_TRUE(lock);
                EXPECT_GE(*lock.as<int>(), t * 100000);
                EXPECT_LT(*lock.as<int>(), (t + 1) * 100000);
            }
            for (GlobalHandle h : mine) EXPECT_TRUE(globalFree(h));
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(globalLiveCount(), before);
}

TEST(GlobalMemory, LargeBlocksComeBackZeroedAndWithTheirOwnSize) {
    constexpr std::size_t kBig = std::size_t{3} << 20;
    for (int round = 0; round < 3; ++round) {
        const GlobalHandle dirty = globalAlloc(kBig, false);
        {
            GlobalLock lock(dirty);
            ASSERT_TRUE(lock);
            std::memset(lock.data(), 0xAB, kBig);
        }
        ASSERT_TRUE(globalFree(dirty));
        // A slightly smaller block may reuse the freed memory: it must still be zeroed
        // on request and report the size asked for.
        GlobalBlock clean(globalAlloc(kBig - 4096, true));
        GlobalLock lock(clean.get());
        ASSERT_TRUE(lock);
        EXPECT_EQ(globalSize(clean.get()), kBig - 4096);
        const auto* bytes = lock.as<unsigned char>();
        std::size_t nonZero = 0;
        for (std::size_t i = 0; i < kBig - 4096; ++i) nonZero += bytes[i] != 0;
        EXPECT_EQ(nonZero, 0u);
    }
    globalReleaseCache();
}
