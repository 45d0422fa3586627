#include <gtest/gtest.h>

#include "codecs/gif/gif_writer.h"
#include "tests/unit/gif/gif_test_support.h"

// A device that takes no bytes: the write comes up short and must not pass for success.
TEST(GifWriter, ReportsAShortWrite) {
    if (!FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    GlobalBlock bitmap = MakePaletteBitmap(8, 64, 64, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}},
                                           [](int x, int y) { return (x + y) % 3; });
    EXPECT_EQ(WriteGifFile(bitmap.get(), "/dev/full"), -1);
}
