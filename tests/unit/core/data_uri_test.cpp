#include "core/data_uri.h"

#include <gtest/gtest.h>

#include <random>

#include "core/base64.h"
#include "tests/support/base64_decode.h"
#include "tests/support/vector_levels.h"

namespace {

// The element WriteDataUri makes of a file, with its result; `memory` false leaves it none.
std::pair<DataUriResult, std::string> UriOf(const std::string& path, bool memory = true) {
    std::string text;
    const DataUriResult result = WriteDataUri(path.c_str(), "image/x", UriFrame{}, [&](std::size_t length) {
        text.resize(length);
        return memory ? &text[0] : nullptr;
    });
    return {result, text};
}

}  // namespace

TEST(WriteDataUri, EncodesTheWholeFileInPaddedBase64OrEndsInItsResult) {
    TempFolder folder;
    const std::string path = folder.File("$korvi2.bmp");
    const struct {
        std::string bytes;
        const char* base64;
    } cases[] = {
        {"a", "YQ=="}, {"ab", "YWI="}, {"abc", "YWJj"}, {"abcde", "YWJjZGU="}, {"\xff\xfe\xfd", "//79"}};
    for (const auto& c : cases) {
        WriteBytes(path, Bytes(c.bytes.begin(), c.bytes.end()));
        EXPECT_EQ(UriOf(path), std::make_pair(DataUriResult::kWritten, "<img src=\"data:image/x;base64," +
                                                                           std::string(c.base64) + "\">"));
    }
    EXPECT_EQ(UriOf(path, false).first, DataUriResult::kOutOfMemory);
    // Longer than one piece of reading: the pieces join without padding between them.
    Bytes large(3 * 8192 + 2);
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = std::uint8_t(i * 7 + i / 256);
    WriteBytes(path, large);
    EXPECT_EQ(DataUriPayload(UriOf(path).second, "image/x"), large);
    WriteBytes(path, {});
    EXPECT_EQ(UriOf(path).first, DataUriResult::kCannotRead);
    EXPECT_EQ(UriOf(folder.File("missing")).first, DataUriResult::kCannotRead);
}

TEST(Base64EncodeTo, EveryVectorFormWritesThePlainFormsCharacters) {
    std::mt19937 random(64);
    std::vector<BYTE> bytes(1000);
    for (BYTE& b : bytes) b = BYTE(random() % 5 == 0 ? 255 * (random() % 2) : random());
    std::vector<std::string> plain;  // by length; the tail of '#' shows what was written past it
    ForEachVectorLevel([&](VectorLevel level) {
        for (std::size_t count = 0, n = 0; count <= bytes.size(); count += count < 80 ? 1 : 97, ++n) {
            std::string text(Base64Length(count) + 4, '#');
            Base64EncodeTo(bytes.data(), count, &text[0]);
            if (level == VectorLevel::kPlain) plain.push_back(text);
            ASSERT_EQ(text, plain[n]) << int(level) << ", " << count << " bytes";
        }
    });
}
