#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "codecs/jpeg/jpeg_writer.h"
#include "core/base64.h"
#include "core/data_uri.h"
#include "core/messages.h"
#include "tests/support/command.h"
#include "tests/support/jpeg_fixture.h"
#include "tests/support/synthetic_picture.h"
#include "tests/support/webp_fixture.h"

namespace {

const std::string kSamples = KORVI_SAMPLES;
const std::string kSample = kSamples + "landscape.bmp";

std::string TextOf(const std::string& path) {
    const Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class KorviCli : public testing::Test {
  protected:
    CommandResult Run(const std::string& arguments) {
        return RunCommand(Quoted(KORVI_CLI_PATH) + " " + arguments, folder_.path());
    }
    TempFolder folder_;
};

}  // namespace

// Each format's line, JPEG by default, the other forms of the line around the same address, and
// a note for each value the conversion replaces, as the window does. The picture comes first, so
// that a value ends the command line.
TEST_F(KorviCli, PrintsTheLineOfEachFormatAndFormNotingReplacedValues) {
    const std::string sizing = " -m 2 -s 64 ";
    const std::string uri = Run(Quoted(kSample) + sizing + "-f gif --as uri").out;
    ASSERT_EQ(uri.rfind("data:image/gif;base64,R0lGODdh", 0), 0u) << uri;
    // What a server that went over to WebP gives under the picture's old name.
    WriteBytes(folder_.File("webp.jpg"), EncodeRgbaWebp(std::vector<Rgba>(64 * 48, {9, 8, 7, 255}), 64));
    const struct {
        std::string options, line;  // the line, or a part of it
        std::string note = "";      // empty: none
        std::string picture = Quoted(kSample);
    } cases[] = {
        {"", "<img src=\"data:image/jpeg;base64,/9j/"},
        {"-f png", "<img src=\"data:image/png;base64,iVBORw0KGgo"},
        // The base64 of "WEBPVP8 " and "WEBPVP8L": a lossy and a lossless chunk.
        {"-f webp", "RUJQVlA4I"},
        {"-f webp --lossless", "RUJQVlA4T"},
        // "\0\0\0\x1Cftypavif": the file type box names AVIF.
        {"-f avif", "<img src=\"data:image/avif;base64,AAAAHGZ0eXBhdmlm"},
        {"-f gif --as md --alt \"a [b]\"", "![a \\[b\\]](" + uri + ")"},
        {"-f gif --alt \"Tom & Jerry\" --size",
         "<img src=\"" + uri + "\" width=\"64\" height=\"48\" alt=\"Tom &amp; Jerry\">"},
        {"-f gif -q 080 -s \" 64 \"", "<img src=\"" + uri + "\">"},
        {"-f bmp -m 0 -q -5", "", "-q -5 is not a number, so quality 80 is used"},
        {"-f bmp -m 0 -q 5", "", "-q 5 is out of range (10 to 100), so quality 10 is used"},
        {"-f bmp -m 0 -s 9999", "", "-s 9999 is out of range (64 to 5000), so side 5000 is used"},
        // The badge's corners are transparent; BMP stores 0x204080 as 80 40 20, "gEAg" in base64.
        {"-f bmp -b " + Quoted("#204080") + " < " + Quoted(kSamples + "badge.png"), "gEAggEAggEAg", "", "-"},
        {"-f bmp", "BwgJBwgJBwgJ", "", Quoted(folder_.File("webp.jpg"))},
    };
    for (const auto& c : cases) {
        const CommandResult result = Run(c.picture + sizing + c.options);
        EXPECT_EQ(result.exitCode, 0) << c.options << result.err;
        std::string err = result.err;
        err.erase(std::remove(err.begin(), err.end(), '\r'), err.end());  // Windows ends lines in CR LF
        EXPECT_EQ(err, c.note.empty() ? "" : "korvi-cli: " + c.note + "\n") << c.options;
        EXPECT_NE(result.out.find(c.line), std::string::npos) << c.options;
        EXPECT_EQ(result.out.find('\n'), std::string::npos) << "no newline when the output is not a terminal";
    }
}

TEST_F(KorviCli, RefusesUnusableCommandLinesWithStatus2) {
    const char* const cases[] = {"",
                                 "-m 4 x.bmp",
                                 "-f tiff x.bmp",
                                 "-x x.bmp",
                                 "-q",
                                 "--hide gif x.bmp",
                                 "-o t.txt --test-page p.html x.bmp",
                                 "-b 12345g x.png",
                                 "--test-page p.html a.bmp b.bmp",
                                 "--as uri --test-page p.html x.bmp",
                                 "- -",
                                 "--size --as uri x.bmp",
                                 "--alt a --as css x.bmp",
                                 "-q auto x.bmp",
                                 "-q auto --max-bytes 9 -f gif x.bmp",
                                 "--max-bytes 0 x.bmp",
                                 "--max-bytes 18446744073709551616 x.bmp",
                                 "-f auto --min-ssim 0.97 x.bmp",
                                 "-f auto --min-score 101 x.bmp",
                                 "-f auto --min-score 1e x.bmp",
                                 "--min-score 78 x.bmp",
                                 "-j 257 x.bmp",
                                 "--inline p.html x.bmp",
                                 "--inline p.html --as uri",
                                 "--inline p.html --inline-limit 0",
                                 "--root site x.bmp",
                                 "--placeholder -f gif x.bmp",
                                 "--placeholder --test-page p.html x.bmp",
                                 "--avif x.bmp"};
    for (const std::string arguments : cases) {
        const CommandResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_NE(result.err.find("usage: korvi-cli"), std::string::npos) << arguments;
        EXPECT_EQ(result.out, "") << arguments;
    }
    const CommandResult help = Run("--help"), version = Run("--version");
    EXPECT_EQ(help.exitCode + version.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: korvi-cli", 0), 0u);
    EXPECT_EQ(version.out.substr(0, 14), "korvi-cli 1.02");
}

TEST_F(KorviCli, WritesTheTestPageWithTheTagsOfTheConversion) {
    const std::string page = folder_.File("page.html");
    const std::string hidden = "-m 2 -s 100 --hide original,q90,q80,q70,q60,q50,q40,q30,q20 --test-page ";
    CommandResult result = Run(hidden + Quoted(page) + " " + Quoted(kSample));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out + result.err, "");
    const std::string text = TextOf(page);
    EXPECT_NE(text.find("value='" + Run("-m 2 -s 100 -f gif " + Quoted(kSample)).out + "'>"),
              std::string::npos);
    EXPECT_EQ(text.find("Jpeg(q=90)"), std::string::npos);
    EXPECT_EQ(text.find("AVIF"), std::string::npos);
    // With --avif, the same page with the AVIF variants behind the JPEG ones.
    result = Run(hidden + Quoted(page) + " --avif " + Quoted(kSample));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string withAvif = TextOf(page), avif40 = "<hr><h3>AVIF(q=40)</h3>\r\n";
    EXPECT_NE(withAvif.find(avif40 + Run("-m 2 -s 100 -f avif -q 40 " + Quoted(kSample)).out + "<br>"),
              std::string::npos);
    EXPECT_EQ(withAvif.substr(0, withAvif.find("<hr><h3>AVIF(lossless)")),
              text.substr(0, text.find("<hr><h3>BMP")));
}

// Each line is the one the picture gives alone, in the order given, whatever the threads; a
// picture that fails leaves its line empty, says why once, and the others are still converted.
// -o FILE gets the lines only once every picture succeeded. Paths and the temporary folder (here a
// Japanese user's) may be Japanese, and no work files are left behind.
TEST_F(KorviCli, ConvertsSeveralPicturesInOrderSayingWhyOnesFail) {
    const std::string japanese = folder_.File("一時"), tags = folder_.File("tags.txt");
    MakeFolder(japanese);
    const ScopedEnvironment temporaryFolder({"TMPDIR", "TMP", "TEMP"}, japanese);
    const std::string prose = "plain text, no picture";
    WriteBytes(folder_.File("写真.bmp"), ReadBytes(kSample));
    WriteBytes(folder_.File("notes.txt"), Bytes(prose.begin(), prose.end()));
    WriteBytes(folder_.File("short.bmp"), {'B', 'M', 1, 2, 3});
    WriteBytes(folder_.File("empty"), {});
    WriteBytes(tags, {'o', 'l', 'd'});
    const std::vector<std::string> pictures = {folder_.File("写真.bmp"),  folder_.File("missing.bmp"),
                                               folder_.File("short.bmp"), kSamples + "tiles.gif",
                                               folder_.File("notes.txt"), "-"};
    std::string expected, arguments = "-m 3 -s 100";
    for (const std::string& picture : pictures) {
        expected += (picture == "-" ? "" : Run("-m 3 -s 100 " + Quoted(picture)).out) + "\n";
        arguments += " " + (picture == "-" ? picture : Quoted(picture));
    }
    ASSERT_GT(expected.size(), 1000u);
    const std::string failed = std::string(": ") + kMsgNoPicture + " (";
    const std::string toFile = "-o " + Quoted(tags), runs[] = {"-j 1", "-j 3 -o -", toFile};
    for (const std::string& jobs : runs) {
        const CommandResult result = Run(jobs + " " + arguments + " < " + Quoted(folder_.File("notes.txt")));
        EXPECT_EQ(result.exitCode, 1) << jobs;
        EXPECT_TRUE(result.out == (jobs == toFile ? "" : expected)) << jobs;
        for (const std::string& why :
             {"missing.bmp" + failed + "no such file)",
              "short.bmp" + failed + "the BMP file ends inside its headers or colour table)",
              "notes.txt" + failed + "no reader for this extension or its first bytes",
              "standard input" + failed + "no reader for these first bytes"}) {
            EXPECT_NE(result.err.find(why), std::string::npos) << why << "\n" << result.err;
        }
        EXPECT_EQ(result.err.find("missing.bmp"), result.err.rfind("missing.bmp")) << result.err;
    }
    EXPECT_EQ(TextOf(tags), "old");
    const std::string twice = "-m 3 -s 100 " + Quoted(pictures[0]) + " " + Quoted(pictures[0]),
                      line = expected.substr(0, expected.find('\n') + 1);
    EXPECT_EQ(Run(toFile + " " + twice).exitCode, 0);
    EXPECT_TRUE(TextOf(tags) == line + line);
    EXPECT_EQ(Run("-o " + Quoted(folder_.File("missing/tag.html")) + " " + Quoted(kSample)).exitCode, 1);
    EXPECT_NE(Run("- < " + Quoted(folder_.File("empty"))).err.find("(standard input is empty)"),
              std::string::npos);
    EXPECT_EQ(FolderEntries(japanese), std::vector<std::string>{});
    EXPECT_EQ(FolderEntries(folder_.path()),
              (std::vector<std::string>{"empty", "notes.txt", "short.bmp", "stderr.txt", "stdout.txt",
                                        "tags.txt", "一時", "写真.bmp"}));
}

// A line longer than --max-bytes fails; -q auto takes the highest quality whose line fits and
// names it, -f auto the shortest faithful line (with --avif, of AVIF too), else the most faithful
// one that fits.
TEST_F(KorviCli, KeepsEachLineWithinMaxBytes) {
    const std::string picture = " -m 3 -s 100 " + Quoted(kSample);
    const std::string line = Run("-q 80" + picture).out, length = std::to_string(line.size());
    const CommandResult fits = Run("-q 80 --max-bytes " + length + picture),
                        chosen = Run("-q auto --max-bytes " + length + picture);
    EXPECT_TRUE(fits.exitCode == 0 && fits.out == line) << fits.err;
    const std::size_t at = chosen.err.find(": quality ");
    ASSERT_NE(at, std::string::npos) << chosen.err;
    const int quality = std::atoi(chosen.err.c_str() + at + 10);
    EXPECT_GE(quality, 80);
    EXPECT_EQ(chosen.out, Run("-q " + std::to_string(quality) + picture).out);
    const struct {
        std::string options, picture;
        int exitCode;
        std::string said;  // on standard error after the picture's name
    } cases[] = {
        {"-q 80 --max-bytes 100", "landscape.bmp", 1, " bytes, more than --max-bytes 100"},
        {"-q auto --max-bytes 100 -s 64", "landscape.bmp", 1, "no quality fits --max-bytes 100"},
        {"-f webp --max-bytes 18446744073709551615", "tiles.gif", 0, ""},
        {"-f auto", "tiles.gif", 0, "tiles.gif: webp lossless, "},
        {"-f auto", "badge.png", 0, "badge.png: webp q86, 883 bytes, ssimulacra2 8"},
        {"-f auto --min-score 3e1", "badge.png", 0, "badge.png: webp q10, "},
        {"-f auto --avif", "badge.png", 0, "badge.png: avif q"},
        {"-f auto --max-bytes 330", "badge.png", 0,
         "the most faithful line that fits --max-bytes 330 (no line of ssimulacra2 78 or more does)"},
        {"-f auto --max-bytes 300", "badge.png", 1,
         "no line fits --max-bytes 300; the shortest tried is webp q10"},
    };
    for (const auto& c : cases) {
        const CommandResult result = Run(c.options + " " + Quoted(kSamples + c.picture));
        EXPECT_EQ(result.exitCode, c.exitCode) << c.options << result.err;
        EXPECT_NE(result.err.find(c.said), std::string::npos) << c.options << result.err;
        const std::string format = c.options.find("--avif") == std::string::npos ? "webp" : "avif";
        EXPECT_TRUE(c.exitCode == 0 ? result.out.rfind("<img src=\"data:image/" + format + ";base64,", 0) == 0
                                    : result.out.empty())
            << c.options;
    }
}

// The largest progressive JPEG the reader takes (201 MB as 24 bits) converts whole, also in the
// 32-bit program with its 2 GB of address space.
TEST_F(KorviCli, ConvertsTheLargestJpegTheReaderTakes) {
    WriteBytes(folder_.File("large.jpg"), LargestProgressiveJpeg());
    const CommandResult result =
        Run("-m 0 -f bmp -o " + Quoted(folder_.File("tag.txt")) + " " + Quoted(folder_.File("large.jpg")));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::size_t tag =
        sizeof "<img src=\"data:image/bmp;base64,\">" - 1 + Base64Length(54 + 3 * 8192u * 8192);
    EXPECT_EQ(std::filesystem::file_size(folder_.File("tag.txt")), tag);
}

// --inline puts each local picture that fits the limit in place as the line -f auto -m 0 gives
// it alone, and a transparent one only as it is; puts a placeholder behind an img whose picture
// stays a link, says why the rest stay and ends with the counts; a page that cannot be read
// leaves -o FILE as it was.
TEST_F(KorviCli, InlinesThePicturesOfAPageThatFitTheLimit) {
    MakeFolder(folder_.File("img"));
    WriteBytes(folder_.File("img/tiles.gif"), ReadBytes(kSamples + "tiles.gif"));
    WriteBytes(folder_.File("img/badge.png"), ReadBytes(kSamples + "badge.png"));  // transparent corners
    WriteBytes(folder_.File("img/notes.txt"), {'n', 'o'});
    WriteJpegFile(MakeBitmap24(400, 300, NaturalPicture(400, 300)).get(),
                  folder_.File("img/photo.jpg").c_str(), 90);
    const std::string page = folder_.File("page.html"), out = folder_.File("out.html");
    const std::string text =
        "<p style=\"background:url('img/tiles.gif')\">\r\n<img src=/img/tiles.gif><img src=\"img/photo.jpg\">"
        "<img src=img/badge.png><img src=\"https://example.com/a.png\" srcset=\"img/missing.png 2x, "
        "img/notes.txt 3x\">";
    WriteBytes(page, Bytes(text.begin(), text.end()));
    const std::string tiles = Run("-f auto -m 0 --as uri " + Quoted(folder_.File("img/tiles.gif"))).out,
                      preview = Run("--placeholder --as uri " + Quoted(folder_.File("img/photo.jpg"))).out;
    // The folder without its separator: on Windows a quoted argument may not end in "\".
    const std::string root = folder_.path().substr(0, folder_.path().size() - 1);
    CommandResult result = Run("--placeholder --root " + Quoted(root) + " --inline " + Quoted(page));
    result.err.erase(std::remove(result.err.begin(), result.err.end(), '\r'), result.err.end());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "<p style=\"background:url('" + tiles + "')\">\r\n<img src=\"" + tiles +
                  "\"><img style=\"background:url(" + preview +
                  ") 0 0/100% 100% no-repeat\" src=\"img/photo.jpg\"><img src=img/badge.png>"
                  "<img src=\"https://example.com/a.png\" srcset=\"img/missing.png 2x, img/notes.txt 3x\">");
    for (const std::string& said :
         {std::string("img/photo.jpg: "), std::string(" bytes as webp, more than --inline-limit 4096\n"),
          std::string("img/badge.png: 9,676 bytes as the png file itself, more than --inline-limit 4096\n"),
          std::string("img/missing.png: ") + kMsgNoPicture + " (no such file)\n",
          "img/notes.txt: " + std::string(kMsgNoPicture)}) {
        EXPECT_NE(result.err.find(said), std::string::npos) << said << "\n" << result.err;
    }
    const std::string counts = page + ": 2 pictures inlined, 5 kept (2 too large, 1 remote, 2 unreadable); " +
                               std::to_string(text.size()) + " bytes before, ";
    const std::size_t last = result.err.rfind("korvi-cli: ");
    EXPECT_EQ(result.err.compare(last, 11 + counts.size(), "korvi-cli: " + counts), 0) << result.err;

    // Made smaller, the img keeps its size in width and height; a transparent picture goes in as
    // it is where it fits; a style sheet is read as CSS.
    const std::string smaller = Run("-m 2 -s 64 --inline-limit 10000 --inline " + Quoted(page)).out;
    EXPECT_NE(smaller.find("<img width=\"400\" height=\"300\" src=\"data:"), std::string::npos);
    const Bytes badge = ReadBytes(kSamples + "badge.png");
    EXPECT_NE(smaller.find("<img src=\"" + DataUriOf(badge.data(), badge.size(), "image/png") + "\">"),
              std::string::npos);
    const std::string css = folder_.File("site.css");
    const std::string sheet = "a{b:url(img/tiles.gif)}";
    WriteBytes(css, Bytes(sheet.begin(), sheet.end()));
    EXPECT_EQ(Run("--inline " + Quoted(css)).out, "a{b:url(" + tiles + ")}");

    // Files that korvi-cli does not read but a browser shows go in as they are; a name written
    // with character references is found under the file system's characters.
    const std::string svg =
        "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\"/>";
    const Bytes ico = {0, 0, 1, 0, 1, 0, 4, 4, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 22, 0, 0, 0};
    WriteBytes(folder_.File("img/logo.svg"), Bytes(svg.begin(), svg.end()));
    WriteBytes(folder_.File("img/icon.ico"), ico);
    WriteBytes(folder_.File("img/写.gif"), ReadBytes(kSamples + "tiles.gif"));
    const std::string named = folder_.File("named.html");
    const std::string links =
        "<img src=img/logo.svg><link rel=icon href=img/icon.ico><img src=\"img/&#x5199;.gif\">";
    WriteBytes(named, Bytes(links.begin(), links.end()));
    EXPECT_EQ(Run("--inline " + Quoted(named)).out,
              "<img src=\"" +
                  DataUriOf(reinterpret_cast<const std::uint8_t*>(svg.data()), svg.size(), "image/svg+xml") +
                  "\"><link rel=icon href=\"" + DataUriOf(ico.data(), ico.size(), "image/x-icon") +
                  "\"><img src=\"" + tiles + "\">");

    WriteBytes(out, {'o', 'l', 'd'});
    const CommandResult unread = Run("--inline " + Quoted(folder_.File("none.html")) + " -o " + Quoted(out));
    EXPECT_EQ(unread.exitCode, 1);
    EXPECT_NE(unread.err.find("none.html: cannot be read; nothing is written"), std::string::npos)
        << unread.err;
    EXPECT_EQ(TextOf(out), "old");
}
