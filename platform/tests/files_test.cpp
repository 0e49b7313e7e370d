#include "platform/files.h"
#include "temp_dir.h"
#include "tests/harness/file_size_limit.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {

TEST(Files, SizeTimeAndExistence)
{
    TempDir dir;
    const std::string file = dir.write("data.bin", std::string(1000, 'x'));
    const utimbuf times{1600000000, 1650000000};
    ASSERT_EQ(utime(file.c_str(), &times), 0);

    EXPECT_TRUE(platform::fileExists(file));
    EXPECT_EQ(platform::fileSize(file), 1000u);
    EXPECT_EQ(platform::fileWriteTime(file), 1650000000);

    const std::string empty = dir.write("empty", "");
    EXPECT_EQ(platform::fileSize(empty), 0u);

    const std::string missing = (dir.path() / "missing").string();
    EXPECT_FALSE(platform::fileExists(missing));
    EXPECT_FALSE(platform::fileSize(missing));
    EXPECT_FALSE(platform::fileWriteTime(missing));
    // A folder is not a file.
    EXPECT_FALSE(platform::fileExists(dir.str()));
}

// Only regular files take appended text; anything else is refused at once,
// also a FIFO that a reader holds open (where a plain opening would succeed).
TEST(AppendFile, OpensRegularAndNewFilesOnly)
{
    TempDir dir;
    const std::string fifo = (dir.path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string why;
    EXPECT_FALSE(platform::AppendFile::open(fifo, &why));
    EXPECT_EQ(why, "it is not a regular file");
    ::close(reader);
    EXPECT_FALSE(platform::AppendFile::open("/dev/null", &why));
    EXPECT_EQ(why, "it is not a regular file");
    EXPECT_FALSE(platform::AppendFile::open(dir.str(), &why));
    EXPECT_EQ(why, "it is a folder, not a file");
    EXPECT_FALSE(platform::AppendFile::open((dir.path() / "no" / "file").string(), &why));
    EXPECT_EQ(why, "No such file or directory");

    // A new file is made; a link is followed to its file; the end of what is
    // there already is noted.
    auto fresh = platform::AppendFile::open((dir.path() / "new.log").string());
    ASSERT_TRUE(fresh);
    EXPECT_FALSE(fresh->openedMidLine());
    const std::string torn = dir.write("torn.log", "line\ntor");
    std::filesystem::create_symlink(torn, dir.path() / "link.log");
    auto linked = platform::AppendFile::open((dir.path() / "link.log").string());
    ASSERT_TRUE(linked);
    EXPECT_TRUE(linked->openedMidLine());
    EXPECT_EQ(linked->append("n\n").error, 0);
    EXPECT_FALSE(platform::AppendFile::open(dir.write("whole.log", "line\n"))->openedMidLine());
    EXPECT_EQ(platform::readRegularFile(torn), "line\ntorn\n");
}

TEST(AppendFile, ShortWritesAreCountedAndTheirErrorKept)
{
    TempDir dir;
    const std::string path = dir.write("full.log", "12345");
    auto file = platform::AppendFile::open(path);
    ASSERT_TRUE(file);
    FileSizeLimit full(8);
    ASSERT_TRUE(full.active());
    const auto cut = file->append("abcdef");
    EXPECT_EQ(cut.bytes, 3u);
    EXPECT_EQ(cut.error, EFBIG);
    const auto none = file->append("g");
    EXPECT_EQ(none.bytes, 0u);
    EXPECT_EQ(none.error, EFBIG);
    full.lift();
    EXPECT_EQ(file->append("h").error, 0);
    EXPECT_EQ(platform::readRegularFile(path), "12345abch");
}

} // namespace
