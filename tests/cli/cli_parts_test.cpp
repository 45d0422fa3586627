// korvi-cli's decisions that need no process: the forms of the line, the quality budget and
// which pictures of a page are read.
#include <gtest/gtest.h>

#include <array>

#include "cli/page_picture.h"
#include "cli/picture_job.h"
#include "cli/quality_budget.h"
#include "cli/tag_form.h"
#include "core/messages.h"
#include "pipeline/picture_loader.h"
#include "pipeline/variant_picture.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/files.h"
#include "tests/support/synthetic_picture.h"

TEST(LineFrame, GivesEachFormWithItsAttributesEscaped) {
    const std::string uri = "data:image/gif;base64,R0lG";
    const struct {
        TagForm form;
        bool withSize;
        const char* alt;  // null: none
        std::string line;
    } cases[] = {
        {TagForm::kCss, false, nullptr, "background-image: url(\"" + uri + "\")"},
        {TagForm::kMarkdown, false, nullptr, "![](" + uri + ")"},
        {TagForm::kMarkdown, false, "a [b] *c*\\_\n表", "![a \\[b\\] \\*c\\*\\\\\\_ 表](" + uri + ")"},
        {TagForm::kImg, false, "\"Tom & Jerry\" <b>'s\r\n",
         "<img src=\"" + uri + "\" alt=\"&quot;Tom &amp; Jerry&quot; &lt;b&gt;&#39;s&#13;&#10;\">"},
        {TagForm::kImg, true, "", "<img src=\"" + uri + "\" width=\"3\" height=\"2\" alt=\"\">"},
    };
    for (const auto& c : cases) {
        TagStyle style{c.form, c.withSize, std::nullopt};
        if (c.alt != nullptr) style.alt = c.alt;
        const UriFrame frame = LineFrame(style, 3, 2);
        EXPECT_EQ(frame.before + uri + frame.after, c.line) << c.line;
    }
}

// Real lines do not grow evenly with the quality: 16-bit JPEG tables below 24 and 20 make them
// longer, and here and there, in both formats, a higher quality gives a few bytes less.
TEST(HighestFittingQuality, ChoosesWhatASearchFrom100DownwardsChooses) {
    TempFolder folder;
    GlobalBlock natural = MakeBitmap24(64, 48, NaturalPicture(64, 48));
    GlobalBlock landscape(LoadPictureFile(KORVI_SAMPLES "landscape.bmp"));
    const struct {
        OutputFormat format;
        PackedBitmap picture;
        int method, side;
    } cases[] = {{OutputFormat::kJpeg, natural.get(), kKeepSize, 430},
                 {OutputFormat::kJpeg, landscape.get(), kFitSquare, 200},
                 {OutputFormat::kWebp, natural.get(), kKeepSize, 430}};
    int smallDips = 0;
    for (const auto& c : cases) {
        ASSERT_NE(c.picture, nullptr);
        const VariantPicture variant(
            PageSource{c.picture, BitmapLock(c.picture)->biWidth, BitmapLock(c.picture)->biHeight}, c.method,
            c.side);
        std::array<std::size_t, 101> length{};
        std::vector<std::size_t> budgets = {0};
        for (int q = 10; q <= 100; ++q) {
            length[q] = variant.BuildVariantTag({c.format, q}, folder.path()).text.size();
            budgets.insert(budgets.end(), {length[q] - 1, length[q]});
            if (q > 10 && q != 20 && q != 24 && length[q] < length[q - 1]) ++smallDips;
        }
        for (std::size_t budget : budgets) {
            std::optional<int> linear;
            for (int q = 100; q >= 10 && !linear; --q) {
                if (length[q] <= budget) linear = q;
            }
            int asked = 0;
            const std::optional<int> found = HighestFittingQuality(c.format, [&](int q) {
                ++asked;
                return length[q] <= budget;
            });
            EXPECT_EQ(found, linear) << c.side << " " << budget;
            EXPECT_LE(asked, 20) << c.side << " " << budget;
        }
    }
    EXPECT_GE(smallDips, 3) << "the pictures no longer show lines that shrink as the quality rises";
}

// A work file that cannot be written fails the picture with the writer's message, also in the
// middle of a quality search, which must not settle on a lower quality instead.
TEST(ConvertCliPicture, EndsInTheMessageOfAFailedConversion) {
    TempFolder folder;
    for (const bool automatic : {false, true}) {
        CliOptions options;
        options.autoQuality = automatic;
        options.maxBytes = 1 << 20;
        const PictureResult result =
            ConvertCliPicture(options, KORVI_SAMPLES "landscape.bmp", folder.File("missing/"));
        EXPECT_EQ(result.messages, std::vector<std::string>{std::string(KORVI_SAMPLES "landscape.bmp: ") +
                                                            kMsgJpegWriteFailed})
            << automatic;
    }
}

// A page's picture is read only from a plain file: never standard input, a folder or a device,
// which a page may name to make korvi-cli wait for ever.
TEST(PictureForPage, ReadsOnlyPlainFiles) {
    TempFolder folder;
    CliOptions options;
    options.format = OutputFormat::kGif;
    const struct {
        std::string path, failure;
    } cases[] = {
        {"-", std::string(kMsgNoPicture) + " (no such file)"},
        {folder.path().substr(0, folder.path().size() - 1),
         std::string(kMsgNoPicture) + " (a folder, not a file)"},
        {KORVI_SAMPLES "tiles.gif", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureForPage(options, c.path, false, folder.path()).failure, c.failure) << c.path;
}
