#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/bmp_file.h"
#include "core/messages.h"
#include "core/picture_loader.h"
#include "tests/support/base64_decode.h"
#include "tests/support/bmp_fixture.h"
#include "tests/support/command.h"

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
    ASSERT_TRUE(WriteBmpFile(picture.get(), folder_.File("expected.bmp").c_str()));
    EXPECT_EQ(DataUriPayload(result.out, "image/bmp"), ReadBytes(folder_.File("expected.bmp")));
}

TEST_F(KorviCli, ReadsGifPictures) {
    // The GIF sample holds the same tiles as the 8-bit BMP sample.
    const CommandResult result = Run("-f bmp -m 0 " + Quoted(std::string(KORVI_SAMPLES) + "tiles.gif"));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    GlobalBlock twin(LoadPictureFile((std::string(KORVI_SAMPLES) + "tiles-8bit.bmp").c_str()));
    ASSERT_TRUE(WriteBmpFile(twin.get(), folder_.File("expected.bmp").c_str()));
    EXPECT_EQ(DataUriPayload(result.out, "image/bmp"), ReadBytes(folder_.File("expected.bmp")));
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

TEST_F(KorviCli, AppliesMethodAndSideAndWritesToAFile) {
    const std::string output = folder_.File("tag.html");
    const CommandResult result = Run("-m 2 -s 100 -q 5 -f bmp -o " + Quoted(output) + " " + Quoted(kSample));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "");
    const Bytes text = ReadBytes(output);
    const Bytes file = DataUriPayload(std::string(text.begin(), text.end()), "image/bmp");
    ASSERT_GE(file.size(), 54u);
    EXPECT_EQ(ReadLe32(file, 18), 100);
}

TEST_F(KorviCli, RefusesUnusableCommandLinesWithStatus2) {
    for (const std::string arguments :
         {"", "-m 4 x.bmp", "-m -1 x.bmp", "-f png x.bmp", "-x x.bmp", "-q", "a.bmp b.bmp", "--test-page",
          "--hide q75 --test-page p.html x.bmp", "--hide gif x.bmp", "-o t.txt --test-page p.html x.bmp"}) {
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

TEST_F(KorviCli, ReportsPicturesThatDoNotLoadWithStatus1) {
    WriteBytes(folder_.File("short.bmp"), {'B', 'M', 1, 2, 3});
    BmpFixture rle;
    rle.depth = 8;
    rle.compression = BI_RLE8;
    rle.colourTable.assign(1024, 0);
    WriteBytes(folder_.File("rle.bmp"), BuildBmp(rle));
    WriteBytes(folder_.File("notes.txt"), {'h', 'i'});
    for (const std::string name : {"missing.bmp", "short.bmp", "rle.bmp", "notes.txt", "noextension"}) {
        const CommandResult result = Run("-f bmp " + Quoted(folder_.File(name)));
        EXPECT_EQ(result.exitCode, 1) << name;
        EXPECT_NE(result.err.find(kMsgNoPicture), std::string::npos) << name << ": " << result.err;
        EXPECT_EQ(result.out, "") << name;
    }
}

TEST_F(KorviCli, LeavesNoWorkFilesBehind) {
    TempFolder temporary;
    for (const char* variable : {"TMPDIR", "TMP", "TEMP"}) SetEnvironment(variable, temporary.path());
    const CommandResult bmp = Run("-f bmp " + Quoted(kSample));
    const CommandResult failed = Run("-f bmp " + Quoted(folder_.File("missing.bmp")));
    EXPECT_EQ(bmp.exitCode, 0);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(temporary.path())));
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
