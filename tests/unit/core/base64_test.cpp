#include "core/base64.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

TEST(Base64, EncodesWithPadding) {
    const struct {
        const char* text;
        const char* encoded;
    } cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {"abcd", "YWJjZA=="},
        {"abcde", "YWJjZGU="},
        {"BM", "Qk0="},
        {"\xff\xfe\xfd", "//79"},
    };
    for (const auto& c : cases) {
        std::unique_ptr<char, decltype(&std::free)> text(
            Base64Encode(reinterpret_cast<const BYTE*>(c.text), std::strlen(c.text)), &std::free);
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text.get(), c.encoded) << c.text;
    }
}
