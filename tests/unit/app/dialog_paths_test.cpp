#include <gtest/gtest.h>

#include "app/app_paths.h"
#include "app/dialog_start.h"
#include "app/single_instance.h"
#include "app/source_path.h"

TEST(PathsBesideExecutable, KeepsTheFolderWithItsBackslash) {
    const std::optional<AppPaths> paths = PathsBesideExecutable("C:\\Tools\\korvi\\korvi.exe");
    ASSERT_TRUE(paths);
    EXPECT_EQ(paths->folder, "C:\\Tools\\korvi\\");
    EXPECT_EQ(paths->settingsFile, "C:\\Tools\\korvi\\korvi.ini");
    EXPECT_FALSE(PathsBesideExecutable("korvi.exe"));
    const std::string deep = "C:\\" + std::string(400, 'd') + "\\korvi.exe";
    EXPECT_EQ(PathsBesideExecutable(deep)->settingsFile, "C:\\" + std::string(400, 'd') + "\\korvi.ini");
}

TEST(CheckInstance, AMutexRefusedToOtherRightsIsARunningCopy) {
    const struct {
        bool gotHandle;
        std::uint32_t error;
        InstanceCheck check;
    } cases[] = {
        {true, 0, InstanceCheck::kFirst},
        {true, kErrorAlreadyExists, InstanceCheck::kAlreadyRunning},
        {false, kErrorAccessDenied, InstanceCheck::kAlreadyRunning},
        {false, 8, InstanceCheck::kSystemError},  // not enough memory
    };
    for (const auto& c : cases) EXPECT_EQ(CheckInstance(c.gotHandle, c.error), c.check) << c.error;
}

TEST(PlanDialogStart, StartsFromTheSourcePathOrThePictureFolder) {
    const struct {
        std::string source;
        std::string file, folder;
    } cases[] = {
        {"C:\\pics\\cat.png", "C:\\pics\\cat.png", "C:\\pics"},
        {"C:\\pics\\表", "C:\\pics\\表", "C:\\pics"},  // in code page 932 its second byte is a backslash
        {"C:\\pics\\", "C:\\pics\\無題", "C:\\pics"},
        {"cat.png", "D:\\My Pictures\\無題", "D:\\My Pictures"},
        {"C:\\" + std::string(260, 'x') + "\\", "無題", "C:\\" + std::string(260, 'x')},
    };
    for (const auto& c : cases) {
        const DialogStart start = PlanDialogStart(c.source, "D:\\My Pictures");
        EXPECT_EQ(start.file, c.file) << c.source;
        EXPECT_EQ(start.folder, c.folder) << c.source;
    }
}

TEST(CopyIfFits, RefusesTextThatWouldNotFitWithItsZero) {
    char buffer[8] = "keep";
    EXPECT_FALSE(CopyIfFits(buffer, sizeof buffer, "12345678"));
    EXPECT_STREQ(buffer, "keep");
    EXPECT_TRUE(CopyIfFits(buffer, sizeof buffer, "1234567"));
    EXPECT_STREQ(buffer, "1234567");
}
