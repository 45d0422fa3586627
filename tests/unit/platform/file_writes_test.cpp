#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>

#include "platform/kernel.h"
#include "platform/replace_file.h"
#include "tests/support/files.h"

namespace {

// A disk that is full beyond a size, for one scope of a test: writes past it fail with EFBIG.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(std::size_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(bytes), saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_;
    void (*previous_)(int);
};

const Bytes kOld = {'o', 'l', 'd'};
const std::string kNew(5000, 'n');

bool Replace(const std::string& path) {
    return ReplaceFileContents(path.c_str(), kNew.data(), kNew.size());
}

mode_t ModeOf(const std::string& path) {
    struct stat file;
    return stat(path.c_str(), &file) == 0 ? file.st_mode & 07777 : 0;
}

}  // namespace

TEST(ReplaceFileContents, ReplacesWholeOrLeavesTheOldFileAndNothingBeside) {
    TempFolder folder;
    const std::string file = folder.File("tag.html");
    WriteBytes(file, kOld);
    chmod(file.c_str(), 0640);
    ASSERT_TRUE(Replace(file));
    EXPECT_EQ(ReadBytes(file), Bytes(kNew.begin(), kNew.end()));
    EXPECT_EQ(ModeOf(file), 0640u) << "the replaced file keeps its permissions";

    WriteBytes(file, kOld);
    {
        const FileSizeLimit full(100);
        EXPECT_FALSE(Replace(file));
    }
    EXPECT_EQ(ReadBytes(file), kOld);
    EXPECT_FALSE(Replace(folder.File("missing/tag.html")));
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::string>{"tag.html"});
}

// Creating never follows a link; replacing writes the file it names, also one not there yet
// behind links of links, and keeps the links.
TEST(FileWrites, LinksAndDevices) {
    TempFolder folder;
    WriteBytes(folder.File("target"), kOld);
    ASSERT_EQ(symlink("target", folder.File("link").c_str()), 0);
    EXPECT_EQ(_lcreat(folder.File("link").c_str(), 0), HFILE_ERROR);
    EXPECT_EQ(ReadBytes(folder.File("target")), kOld);
    MakeFolder(folder.File("sub"));
    ASSERT_EQ(symlink("sub/new", folder.File("to-link").c_str()), 0);
    ASSERT_EQ(symlink("../new-target", folder.File("sub/new").c_str()), 0);
    for (const char* name : {"link", "to-link"}) {
        ASSERT_TRUE(Replace(folder.File(name))) << name;
        struct stat link;
        ASSERT_EQ(lstat(folder.File(name).c_str(), &link), 0);
        EXPECT_TRUE(S_ISLNK(link.st_mode)) << name;
    }
    EXPECT_EQ(ReadBytes(folder.File("target")), Bytes(kNew.begin(), kNew.end()));
    EXPECT_EQ(ReadBytes(folder.File("new-target")), Bytes(kNew.begin(), kNew.end()));
    ASSERT_EQ(symlink("loop", folder.File("loop").c_str()), 0);
    EXPECT_FALSE(Replace(folder.File("loop")));
    EXPECT_TRUE(Replace("/dev/null"));
    EXPECT_FALSE(Replace("/dev/full"));
}

TEST(WorkFolder, IsPrivateWhateverTheUmask) {
    const mode_t saved = umask(0);
    std::optional<WorkFolder> folder = WorkFolder::Create();
    umask(saved);
    ASSERT_TRUE(folder);
    EXPECT_EQ(ModeOf(folder->path()), 0700u);
    WriteBytes(folder->path() + "a", kOld);
    const std::string path = folder->path();
    folder.reset();
    EXPECT_FALSE(FileExists(path + "a"));
    struct stat gone;
    EXPECT_NE(stat(path.c_str(), &gone), 0);
}
