#include "pipeline/conversion.h"

#include <gtest/gtest.h>

#include "core/messages.h"
#include "tests/support/base64_decode.h"
#include "tests/support/bitmap_builder.h"

namespace {

struct Request {
    GlobalBlock picture;
    ConversionRequest request;
    TempFolder folder;

    Request(int width, int height, OutputFormat format = OutputFormat::kBmp)
        : picture(MakeBitmap24(width, height, [](int x, int y) {
              return Rgb{std::uint8_t(x), std::uint8_t(y), 7};
          })) {
        request.picture = picture.get();
        request.width = width;
        request.height = height;
        request.sourcePath = "picture.bmp";
        request.format = format;
        request.workFolder = folder.path();
    }
};

}  // namespace

TEST(ConvertPicture, ResizesByMethodAndSideAndPutsTheWorkFileInTheText) {
    const struct {
        int method, width, height;
        int side;
        int expectedWidth, expectedHeight;
    } cases[] = {
        {kLimitWidth, 300, 200, 430, 300, 200}, {kLimitWidth, 300, 200, 150, 150, 100},
        {kFixWidth, 100, 50, 430, 430, 215},    {kFitSquare, 200, 400, 100, 50, 100},
        {kKeepSize, 300, 200, 64, 300, 200},    {kFitSquare, 900, 2, 64, 64, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "method " << c.method << " " << c.width << "x" << c.height << " side " << c.side);
        Request r(c.width, c.height);
        r.request.resizeMethod = c.method;
        r.request.side = c.side;
        const ConversionOutcome outcome = ConvertPicture(r.request);
        ASSERT_TRUE(outcome.succeeded) << outcome.message;
        const Bytes file = DataUriPayload(outcome.text, "image/bmp");
        ASSERT_GE(file.size(), 54u);
        EXPECT_EQ(ReadLe32(file, 18), c.expectedWidth);
        EXPECT_EQ(ReadLe32(file, 22), c.expectedHeight);
        EXPECT_EQ(std::size_t(ReadLe32(file, 34)), file.size() - 54) << "biSizeImage";
        EXPECT_EQ(ReadBytes(TempOutputPath(r.folder.path(), OutputFormat::kBmp)), file)
            << "the work file stays";
    }
}

TEST(ClampJpegQualityAndSideLength, TakeTheEditTextsAsTheWindowStoresThem) {
    const struct {
        const char* quality;
        const char* side;
        int storedQuality, storedSide;
    } cases[] = {
        {"5", "10", 10, 64},     {"150", "9999", 100, 5000},      {"abc", "12x", 80, 430},
        {"-5", "-100", 80, 430}, {" 55 ", "4294967296", 55, 430}, {"100", "5000", 100, 5000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClampJpegQuality(c.quality), c.storedQuality) << c.quality;
        EXPECT_EQ(ClampSideLength(c.side), c.storedSide) << c.side;
    }
}

TEST(ConvertPicture, EndsFailuresInTheirMessages) {
    {
        ConversionRequest none;
        const ConversionOutcome outcome = ConvertPicture(none);
        EXPECT_STREQ(outcome.message, kMsgNoPicture);
        EXPECT_FALSE(outcome.settings) << "nothing is stored without a picture";
    }
    const struct {
        const char* name;
        int width, height;
        void (*change)(Request&);
        const char* message;
    } cases[] = {
        {"source path without a dot", 300, 200, [](Request& r) { r.request.sourcePath = "picture"; },
         kMsgSystemError},
        {"wider than the largest picture", 1, 300,
         [](Request& r) {
             r.request.resizeMethod = kFixWidth;
             r.request.side = 5000;
         },
         kMsgConversionError},
        {"no recorded size", 300, 200, [](Request& r) { r.request.width = 0; }, kMsgConversionError},
        {"work folder missing", 300, 200, [](Request& r) { r.request.workFolder += "missing/"; },
         kMsgBmpWriteFailed},
        {"WebP wider than it holds", 16384, 1,
         [](Request& r) {
             r.request.format = OutputFormat::kWebp;
             r.request.resizeMethod = kKeepSize;
         },
         "WebPフォーマットの画像ファイルが作成できませんでした. (a side longer than WebP's limit of 16383 "
         "pixels)"},
    };
    for (const auto& c : cases) {
        Request r(c.width, c.height);
        c.change(r);
        const ConversionOutcome outcome = ConvertPicture(r.request);
        EXPECT_FALSE(outcome.succeeded) << c.name;
        EXPECT_STREQ(outcome.message, c.message) << c.name;
        EXPECT_TRUE(outcome.settings) << c.name << ": settings are stored before the checks";
    }
}
