#include <gtest/gtest.h>

#include "platform/kernel.h"

TEST(GlobalMemory, MoveableBlocksCountLocksAndRefuseStaleHandlesAndEmptyLocks) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 10), empty = GlobalAlloc(GMEM_MOVEABLE, 0);
    ASSERT_TRUE(block && empty);
    EXPECT_EQ(GlobalSize(block), 10u);
    auto* bytes = static_cast<BYTE*>(GlobalLock(block));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(GlobalLock(block), bytes);
    EXPECT_TRUE(GlobalUnlock(block)) << "still locked once";
    EXPECT_FALSE(GlobalUnlock(block)) << "count reached zero";
    EXPECT_FALSE(GlobalUnlock(block)) << "was not locked";

    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(GlobalSize(block), 0u);
    EXPECT_EQ(GlobalFree(block), block);
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
    EXPECT_EQ(GlobalLock(empty), nullptr);
    EXPECT_EQ(GlobalFree(empty), nullptr);
}
