// korvi-cli's decisions that need no process: the forms of the line, the failure of a quality
// search, which pictures of a page are read.
#include <gtest/gtest.h>

#include "cli/page_picture.h"
#include "cli/picture_job.h"
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
