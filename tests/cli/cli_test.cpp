#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/base64.h"
#include "core/bmp_file.h"
#include "core/messages.h"
#include "pipeline/picture_loader.h"
#include "tests/support/base64_decode.h"
#include "tests/support/bitmap_builder.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/command.h"
#include "tests/support/gif_fixture.h"
#include "tests/support/jpeg_fixture.h"
#include "tests/support/synthetic_picture.h"

namespace {

const std::string kSample = std::string(KORVI_SAMPLES) + "landscape.bmp";

class KorviCli : public testing::Test {
  protected:
    CommandResult Run(const std::string& arguments) {
        return RunCommand(Quoted(KORVI_CLI_PATH) + " " + arguments, folder_.path());
    }
    TempFolder folder_;
};

}  // namespace

TEST_F(KorviCli, PrintsTheBmpTagOfAPicture) {
    const CommandResult result = Run("-f bmp " + Quoted(kSample));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("<img src=\"data:image/bmp;base64,Qk", 0), 0u);
    EXPECT_EQ(result.out.back(), '>') << "no newline when the output is not a terminal";
    EXPECT_EQ(result.err, "");

    GlobalBlock picture(LoadPictureFile(kSample.c_str()));
    ASSERT_EQ(WriteBmpFile(picture.get(), folder_.File("expected.bmp").c_str()), kBmpWritten);
    EXPECT_EQ(DataUriPayload(result.out, "image/bmp"), ReadBytes(folder_.File("expected.bmp")));
}

TEST_F(KorviCli, ReadsGifPictures) {
    // The GIF sample holds the same tiles as the 8-bit BMP sample.
    const CommandResult result = Run("-f bmp -m 0 " + Quoted(std::string(KORVI_SAMPLES) + "tiles.gif"));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    GlobalBlock twin(LoadPictureFile((std::string(KORVI_SAMPLES) + "tiles-8bit.bmp").c_str()));
    ASSERT_EQ(WriteBmpFile(twin.get(), folder_.File("expected.bmp").c_str()), kBmpWritten);
    EXPECT_EQ(DataUriPayload(result.out, "image/bmp"), ReadBytes(folder_.File("expected.bmp")));
}

TEST_F(KorviCli, ComposesTransparentPngPixelsOverTheColourGiven) {
    // The badge sample is 64 x 64, transparent in its corners and opaque in the middle.
    const std::string badge = Quoted(std::string(KORVI_SAMPLES) + "badge.png");
    const auto pixel = [](const Bytes& bmp, int x, int y) {
        const std::size_t at = 54 + std::size_t(63 - y) * 192 + 3 * std::size_t(x);
        return std::vector<int>{bmp[at + 2], bmp[at + 1], bmp[at]};
    };
    const struct {
        std::string option;
        std::vector<int> corner;
    } cases[] = {
        {"", {255, 255, 255}}, {"-b 204080", {0x20, 0x40, 0x80}}, {"-b " + Quoted("#00ff00"), {0, 255, 0}}};
    std::vector<int> middle;
    for (const auto& c : cases) {
        const CommandResult result = Run("-f bmp -m 0 " + c.option + " " + badge);
        ASSERT_EQ(result.exitCode, 0) << c.option << result.err;
        const Bytes bmp = DataUriPayload(result.out, "image/bmp");
        ASSERT_EQ(bmp.size(), 54u + 64 * 192) << c.option;
        EXPECT_EQ(pixel(bmp, 0, 0), c.corner) << c.option;
        EXPECT_EQ(pixel(bmp, 63, 63), c.corner) << c.option;
        if (middle.empty()) middle = pixel(bmp, 32, 32);
        EXPECT_EQ(pixel(bmp, 32, 32), middle) << c.option;
    }
}

TEST_F(KorviCli, PrintsEveryFormatWithJpegAsDefault) {
    const struct {
        const char* options;
        const char* mime;
        const char* signature;  // the base64 of the file's first bytes
    } cases[] = {{"", "image/jpeg", "/9j/"},
                 {"-f jpeg -q 100", "image/jpeg", "/9j/"},
                 {"-f gif", "image/gif", "R0lGODdh"}};
    for (const auto& c : cases) {
        const CommandResult result = Run(std::string(c.options) + " " + Quoted(kSample));
        ASSERT_EQ(result.exitCode, 0) << c.options << result.err;
        const std::string opening = std::string("<img src=\"data:") + c.mime + ";base64," + c.signature;
        EXPECT_EQ(result.out.rfind(opening, 0), 0u) << c.options;
        EXPECT_FALSE(DataUriPayload(result.out, c.mime).empty()) << c.options;
    }
}

TEST_F(KorviCli, ReadsJpegPictures) {
    JpegFixture progressive = FixtureFromPicture(37, 23, NaturalPicture(37, 23), FixtureColour::kYCbCr,
                                                 {{2, 2}, {1, 1}, {1, 1}}, 90);
    progressive.sofMarker = 0xC2;
    progressive.scans = SuccessiveScript(3);
    const std::string path = folder_.File("photo.JPG");
    WriteBytes(path, WriteJpegFixture(progressive));
    const CommandResult result = Run("-f bmp -m 0 " + Quoted(path));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    GlobalBlock picture(LoadPictureFile(path.c_str()));
    ASSERT_EQ(WriteBmpFile(picture.get(), folder_.File("expected.bmp").c_str()), kBmpWritten);
    EXPECT_EQ(DataUriPayload(result.out, "image/bmp"), ReadBytes(folder_.File("expected.bmp")));
}

TEST_F(KorviCli, AppliesMethodAndSideAndWritesToAFile) {
    const std::string output = folder_.File("tag.html");
    WriteBytes(output, {'o', 'l', 'd'});
    const CommandResult result = Run("-m 2 -s 100 -f bmp -o " + Quoted(output) + " " + Quoted(kSample));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const Bytes text = ReadBytes(output);
    const Bytes file = DataUriPayload(std::string(text.begin(), text.end()), "image/bmp");
    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ(ReadLe32(file, 18), 100);

    const CommandResult dash = Run("-m 2 -s 100 -f bmp -o - " + Quoted(kSample));
    EXPECT_EQ(dash.out, std::string(text.begin(), text.end())) << "-o - is standard output";
    const CommandResult nowhere =
        Run("-f bmp -o " + Quoted(folder_.File("missing/tag.html")) + " " + Quoted(kSample));
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_EQ(FolderEntries(folder_.path()),
              (std::vector<std::string>{"stderr.txt", "stdout.txt", "tag.html"}));
}

TEST_F(KorviCli, NotesEveryValueItReplacesAsTheWindowDoes) {
    const struct {
        const char* options;
        const char* note;  // empty: none
    } cases[] = {
        {"-q 100 -s 430", ""},
        {"-q 080 -s \" 99 \"", ""},
        {"-q -5", "-q -5 is not a number, so quality 80 is used"},
        {"-q 5", "-q 5 is out of range (10 to 100), so quality 10 is used"},
        {"-s 1e3", "-s 1e3 is not a number, so side 430 is used"},
        {"-s 9999", "-s 9999 is out of range (64 to 5000), so side 5000 is used"},
    };
    for (const auto& c : cases) {
        const CommandResult result = Run(std::string("-f bmp -m 0 ") + c.options + " " + Quoted(kSample));
        EXPECT_EQ(result.exitCode, 0) << c.options;
        std::string err = result.err;
        err.erase(std::remove(err.begin(), err.end(), '\r'), err.end());  // Windows ends lines in CR LF
        EXPECT_EQ(err, *c.note ? std::string("korvi-cli: ") + c.note + "\n" : "") << c.options;
    }
}

TEST_F(KorviCli, RefusesUnusableCommandLinesWithStatus2) {
    const char* const cases[] = {"",
                                 "-m 4 x.bmp",
                                 "-m -1 x.bmp",
                                 "-f tiff x.bmp",
                                 "-x x.bmp",
                                 "-q",
                                 "--test-page",
                                 "--hide q75 --test-page p.html x.bmp",
                                 "--hide gif x.bmp",
                                 "-o t.txt --test-page p.html x.bmp",
                                 "-b fff x.png",
                                 "-b 12345g x.png",
                                 "--test-page p.html a.bmp b.bmp",
                                 "--as uri --test-page p.html x.bmp",
                                 "- -",
                                 "--as svg x.bmp",
                                 "--size --as uri x.bmp",
                                 "--alt a --as css x.bmp",
                                 "-q auto x.bmp",
                                 "-q auto --max-bytes 9 -f gif x.bmp",
                                 "--max-bytes 0 x.bmp",
                                 "--max-bytes",
                                 "-j 0 x.bmp",
                                 "-j 257 x.bmp"};
    for (const std::string arguments : cases) {
        const CommandResult result = Run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_NE(result.err.find("usage: korvi-cli"), std::string::npos) << arguments;
        EXPECT_EQ(result.out, "") << arguments;
    }
}

TEST_F(KorviCli, AnswersHelpAndVersion) {
    CommandResult help = Run("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("usage: korvi-cli", 0), 0u);
    CommandResult version = Run("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.substr(0, 14), "korvi-cli 1.02");
}

TEST_F(KorviCli, SaysWhyAPictureDoesNotLoad) {
    WriteBytes(folder_.File("short.bmp"), {'B', 'M', 1, 2, 3});
    BmpFixture rle;
    rle.depth = 8;
    rle.compression = BI_RLE8;
    rle.colourTable.assign(1024, 0);
    WriteBytes(folder_.File("rle.bmp"), BuildBmp(rle));
    WriteBytes(folder_.File("notes.txt"), {'h', 'i'});
    WriteBytes(folder_.File("noextension"), {'h', 'i'});
    WriteBytes(folder_.File("fake.jpg"), {'G', 'I', 'F', '8', '9', 'a'});
    const std::string prose = "plain text, no picture";
    for (const char* name : {"fake.gif", "fake.png"})
        WriteBytes(folder_.File(name), Bytes(prose.begin(), prose.end()));
    WriteBytes(folder_.File("empty"), {});
    const struct {
        std::string picture;
        std::string why;
    } cases[] = {
        {"missing.bmp", "missing.bmp: " + std::string(kMsgNoPicture) + " (no such file)"},
        {"short.bmp", "(cannot be read, or ends before the picture does)"},
        {"rle.bmp", "(not a BMP file, a BMP variant that is not read"},
        {"notes.txt", "(no reader for this extension or its first bytes"},
        {"noextension", "(no reader for this extension or its first bytes"},
        {"fake.jpg", "(not a JPEG file)"},
        {"fake.gif", "(not a GIF file, or larger"},
        {"fake.png", "(not a PNG file, or one that cannot be read"},
        {"- < " + Quoted(folder_.File("notes.txt")),
         "standard input: " + std::string(kMsgNoPicture) + " (no reader for these first bytes"},
        {"- < " + Quoted(folder_.File("short.bmp")), "(cannot be read, or ends before the picture does)"},
        {"- < " + Quoted(folder_.File("empty")), "(standard input is empty)"},
    };
    for (const auto& c : cases) {
        const bool named = c.picture[0] != '-';
        const CommandResult result = Run("-f bmp " + (named ? Quoted(folder_.File(c.picture)) : c.picture));
        EXPECT_EQ(result.exitCode, 1) << c.picture;
        EXPECT_NE(result.err.find(c.why), std::string::npos) << c.picture << ": " << result.err;
        EXPECT_EQ(result.out, "") << c.picture;
    }
}

// A Japanese user's temporary folder, and a picture named in Japanese.
TEST_F(KorviCli, TakesJapanesePathsAndLeavesNoWorkFilesBehind) {
    TempFolder temporary;
    const std::string japanese = temporary.File("一時");
    MakeFolder(japanese);
    const ScopedEnvironment temporaryFolder({"TMPDIR", "TMP", "TEMP"}, japanese);
    const std::string picture = folder_.File("写真.bmp");
    WriteBytes(picture, ReadBytes(kSample));
    for (const char* format : {"jpeg", "gif", "bmp"}) {
        const CommandResult result = Run(std::string("-f ") + format + " " + Quoted(picture));
        EXPECT_EQ(result.exitCode, 0) << format << result.err;
    }
    const CommandResult failed = Run("-f bmp " + Quoted(folder_.File("無い.bmp")));
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(FolderEntries(japanese), std::vector<std::string>{});
}

TEST_F(KorviCli, WritesTheTestPageWithTheTagsOfTheConversion) {
    const std::string page = folder_.File("page.html");
    const CommandResult result =
        Run("-m 2 -s 100 --hide original,q90,q80,q70,q60,q50,q40,q30,q20 --test-page " + Quoted(page) + " " +
            Quoted(kSample));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out + result.err, "");
    const Bytes bytes = ReadBytes(page);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.rfind("<html><head><meta charset=\"Shift_JIS\"></head>\r\n<body><br><table>", 0), 0u);
    for (const char* format : {"-f gif", "-f jpeg -q 10", "-f jpeg -q 100", "-f bmp"}) {
        const CommandResult tag = Run(std::string("-m 2 -s 100 ") + format + " " + Quoted(kSample));
        EXPECT_NE(text.find("value='" + tag.out + "'>"), std::string::npos) << format;
    }
    EXPECT_EQ(text.find("Jpeg(q=90)"), std::string::npos);
}

// Standard input and files whose extension names no reader are read by their first bytes.
TEST_F(KorviCli, ReadsStandardInputAndFilesWithoutAReaderExtensionByTheirFirstBytes) {
    JpegFixture photo = FixtureFromPicture(37, 23, NaturalPicture(37, 23), FixtureColour::kYCbCr,
                                           {{2, 2}, {1, 1}, {1, 1}}, 90);
    WriteBytes(folder_.File("photo.jpg"), WriteJpegFixture(photo));
    for (const std::string& picture : {kSample, std::string(KORVI_SAMPLES) + "tiles.gif",
                                       folder_.File("photo.jpg"), std::string(KORVI_SAMPLES) + "badge.png"}) {
        const CommandResult expected = Run("-f bmp -m 0 " + Quoted(picture));
        ASSERT_EQ(expected.exitCode, 0) << picture << expected.err;
        WriteBytes(folder_.File("nameless"), ReadBytes(picture));
        WriteBytes(folder_.File("picture.dat"), ReadBytes(picture));
        for (const std::string& given : {"- < " + Quoted(picture), Quoted(folder_.File("nameless")),
                                         Quoted(folder_.File("picture.dat"))}) {
            const CommandResult result = Run("-f bmp -m 0 " + given);
            EXPECT_EQ(result.exitCode, 0) << given << result.err;
            EXPECT_EQ(result.out, expected.out) << given;
        }
    }
}

TEST_F(KorviCli, PrintsEachFormOfTheLineExactly) {
    const std::string options = "-f gif -m 2 -s 64 ";
    const CommandResult plain = Run(options + Quoted(kSample));
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    const std::string uri = plain.out.substr(10, plain.out.size() - 12);
    ASSERT_EQ("<img src=\"" + uri + "\">", plain.out);
    const struct {
        const char* options;
        std::string line;
    } cases[] = {
        {"--as uri", uri},
        {"--as md --alt \"a [b]\"", "![a \\[b\\]](" + uri + ")"},
        {"--alt \"Tom & Jerry <3\" --size",
         "<img src=\"" + uri + "\" width=\"64\" height=\"48\" alt=\"Tom &amp; Jerry &lt;3\">"},
    };
    for (const auto& c : cases) {
        const CommandResult result = Run(options + c.options + " " + Quoted(kSample));
        EXPECT_EQ(result.exitCode, 0) << c.options << result.err;
        EXPECT_EQ(result.out, c.line) << c.options;
    }
}

// Each line is the one the picture gives alone, in the order given, whatever the threads; a
// picture that fails leaves its line empty and the others are still converted.
TEST_F(KorviCli, ConvertsSeveralPicturesInOrderOnAnyNumberOfThreads) {
    const std::vector<std::string> pictures = {kSample, folder_.File("missing.bmp"),
                                               std::string(KORVI_SAMPLES) + "tiles.gif", kSample};
    std::string expected, arguments = "-m 3 -s 100";
    for (const std::string& picture : pictures) {
        expected += Run("-m 3 -s 100 " + Quoted(picture)).out + "\n";
        arguments += " " + Quoted(picture);
    }
    ASSERT_GT(expected.size(), 1000u);
    for (const char* jobs : {"-j 1", "-j 3", ""}) {
        const CommandResult result = Run(std::string(jobs) + " " + arguments);
        EXPECT_EQ(result.exitCode, 1) << jobs;
        EXPECT_TRUE(result.out == expected) << jobs;
        EXPECT_EQ(result.err.find("missing.bmp: " + std::string(kMsgNoPicture) + " (no such file)"),
                  result.err.rfind("missing.bmp"))
            << result.err;
    }

    // -o FILE gets every line once all succeed, and is left as it was otherwise.
    const std::string tags = folder_.File("tags.txt");
    WriteBytes(tags, {'o', 'l', 'd'});
    EXPECT_EQ(Run("-o " + Quoted(tags) + " " + arguments).exitCode, 1);
    EXPECT_EQ(ReadBytes(tags), (Bytes{'o', 'l', 'd'}));
    const CommandResult good =
        Run("-o " + Quoted(tags) + " -m 3 -s 100 " + Quoted(kSample) + " " + Quoted(kSample));
    EXPECT_EQ(good.exitCode, 0) << good.err;
    const std::string line = expected.substr(0, expected.find('\n') + 1);
    const Bytes written = ReadBytes(tags);
    EXPECT_EQ(std::string(written.begin(), written.end()), line + line);
}

TEST_F(KorviCli, KeepsEachLineWithinMaxBytes) {
    const std::string picture = " -m 3 -s 100 " + Quoted(kSample);
    const CommandResult plain = Run("-q 80" + picture);
    const std::string length = std::to_string(plain.out.size());
    const CommandResult fits = Run("-q 80 --max-bytes " + length + picture);
    EXPECT_EQ(fits.exitCode, 0) << fits.err;
    EXPECT_EQ(fits.out, plain.out);
    const CommandResult over = Run("-q 80 --max-bytes " + std::to_string(plain.out.size() - 1) + picture);
    EXPECT_EQ(over.exitCode, 1);
    EXPECT_EQ(over.out, "");
    EXPECT_NE(over.err.find("the line is " + length + " bytes, more than --max-bytes"), std::string::npos)
        << over.err;

    // -q auto chooses the quality whose line fits where the next one's does not.
    const CommandResult chosen = Run("-q auto --max-bytes " + length + picture);
    ASSERT_EQ(chosen.exitCode, 0) << chosen.err;
    const std::size_t at = chosen.err.find(": quality ");
    ASSERT_NE(at, std::string::npos) << chosen.err;
    const int quality = std::atoi(chosen.err.c_str() + at + 10);
    EXPECT_GE(quality, 80);
    EXPECT_EQ(chosen.out, Run("-q " + std::to_string(quality) + picture).out);
    if (quality < 100) {
        EXPECT_GT(Run("-q " + std::to_string(quality + 1) + picture).out.size(), plain.out.size());
    }
    const CommandResult none = Run("-q auto --max-bytes 100" + picture);
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("no quality fits --max-bytes 100"), std::string::npos) << none.err;
}

// PNG keeps every pixel of the converted picture: a palette PNG when its colours fit one.
TEST_F(KorviCli, WritesPngsThatKeepEveryPixel) {
    GlobalBlock photo = MakeBitmap24(150, 90, NaturalPicture(150, 90));
    ASSERT_EQ(WriteBmpFile(photo.get(), folder_.File("photo.bmp").c_str()), kBmpWritten);
    const struct {
        std::string picture;
        const char* options;
        int colourType;
    } cases[] = {{folder_.File("photo.bmp"), "-m 3 -s 100", 2},
                 {std::string(KORVI_SAMPLES) + "tiles.gif", "-m 0", 3}};
    for (const auto& c : cases) {
        const std::string options = std::string(c.options) + " " + Quoted(c.picture);
        const Bytes png = DataUriPayload(Run("-f png " + options).out, "image/png");
        ASSERT_GT(png.size(), 26u) << c.picture;
        EXPECT_EQ(png[25], c.colourType) << c.picture;
        WriteBytes(folder_.File("out.png"), png);
        WriteBytes(folder_.File("out.bmp"), DataUriPayload(Run("-f bmp " + options).out, "image/bmp"));
        GlobalBlock fromPng(LoadPictureFile(folder_.File("out.png").c_str()));
        GlobalBlock fromBmp(LoadPictureFile(folder_.File("out.bmp").c_str()));
        ASSERT_TRUE(fromPng && fromBmp) << c.picture;
        BitmapLock a(fromPng.get()), b(fromBmp.get());
        ASSERT_EQ(a->biSizeImage, b->biSizeImage);
        EXPECT_EQ(std::memcmp(PixelRows(a.data()), PixelRows(b.data()), a->biSizeImage), 0) << c.picture;
    }
}

// The largest pictures the readers take (201 MB each as 24 bits) convert whole, also in the 32-bit
// program with its 2 GB of address space.
TEST_F(KorviCli, ConvertsTheLargestPicturesTheReadersTake) {
    WriteBytes(folder_.File("wide.gif"), LargestGif());
    WriteBytes(folder_.File("large.jpg"), LargestProgressiveJpeg());
    const struct {
        const char* name;
        std::uintmax_t pixels;
    } cases[] = {{"wide.gif", 65500u * 1024}, {"large.jpg", 8192u * 8192}};
    for (const auto& c : cases) {
        const CommandResult result =
            Run("-m 0 -f bmp -o " + Quoted(folder_.File("tag.txt")) + " " + Quoted(folder_.File(c.name)));
        EXPECT_EQ(result.exitCode, 0) << c.name << result.err;
        const std::size_t tag =
            sizeof "<img src=\"data:image/bmp;base64,\">" - 1 + Base64Length(54 + 3 * c.pixels);
        EXPECT_EQ(std::filesystem::file_size(folder_.File("tag.txt")), tag) << c.name;
    }
}
