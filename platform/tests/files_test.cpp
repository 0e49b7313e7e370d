#include "platform/files.h"
#include "platform/process.h"
#include "tests/support/temp_dir.h"
#if !defined(_WIN32)
#include "tests/support/file_size_limit.h"
#endif

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

TEST(Files, SizeTimeAndExistence)
{
    TempDir dir;
    const std::string file = dir.write("data.bin", std::string(1000, 'x'));
    ASSERT_TRUE(setWriteTime(file, 1650000000));

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

// Files named in Cyrillic, as a station's folders are: written, renamed over
// another, read back, and opened by the program's own calls.
TEST(Files, NewFilesRenamesAndReadingByAnyName)
{
    TempDir dir;
    const std::string folder = platform::utf8Path(dir.path() / platform::fsPath("ОРД4К"));
    ASSERT_TRUE(std::filesystem::create_directory(platform::fsPath(folder)));
    const std::string first = folder + platform::kFolderSeparator + "протокол.log";
    const std::string second = folder + platform::kFolderSeparator + "второй.log";

    std::string why;
    EXPECT_TRUE(platform::writeNewFile(first, std::string_view("первый"), &why)) << why;
    EXPECT_FALSE(platform::writeNewFile(first, std::string_view("again"), &why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(platform::readRegularFile(first), "первый");
    EXPECT_EQ(platform::fileSize(first), std::string_view("первый").size());

    ASSERT_TRUE(platform::writeNewFile(second, std::string_view("второй")));
    EXPECT_TRUE(platform::renameReplacing(second, first, &why)) << why;
    EXPECT_FALSE(platform::fileExists(second));
    EXPECT_EQ(platform::readRegularFile(first), "второй");
    EXPECT_FALSE(platform::renameReplacing(second, first, &why));

    // A rename that keeps what is there: refused onto a file, done onto a free name.
    ASSERT_TRUE(platform::writeNewFile(second, std::string_view("другой")));
    EXPECT_FALSE(platform::renameKeeping(second, first, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(platform::readRegularFile(first), "второй");
    const std::string third = folder + platform::kFolderSeparator + "третий.log";
    EXPECT_TRUE(platform::renameKeeping(second, third, &why)) << why;
    EXPECT_FALSE(platform::fileExists(second));
    EXPECT_EQ(platform::readRegularFile(third), "другой");

    ASSERT_TRUE(platform::replaceFileContent(first, std::string_view("третий")));
    EXPECT_EQ(platform::readRegularFile(first), "третий");

    std::FILE* f = platform::openFile(first, "ab");
    ASSERT_NE(f, nullptr);
    std::fputs("+", f);
    std::fclose(f);
    EXPECT_EQ(platform::readRegularFile(first), "третий+");
    EXPECT_TRUE(platform::folderWritable(folder, &why)) << why;
    EXPECT_FALSE(platform::folderWritable(folder + platform::kFolderSeparator + "нет", &why));
}

TEST(Files, ReadingTellsWhyNot)
{
    TempDir dir;
    platform::ReadFailure failure{};
    std::string why;
    EXPECT_FALSE(platform::readRegularFile((dir.path() / "missing").string(), &why, platform::kNoSizeLimit, &failure));
    EXPECT_EQ(failure, platform::ReadFailure::missing);
    EXPECT_EQ(why, "no such file");
    EXPECT_FALSE(platform::readRegularFile(dir.str(), &why, platform::kNoSizeLimit, &failure));
    EXPECT_EQ(failure, platform::ReadFailure::notRegular);
    EXPECT_EQ(why, "it is a folder, not a file");

    const std::string file = dir.write("ten", "0123456789");
    EXPECT_EQ(platform::readRegularFile(file, &why, 10), "0123456789");
    EXPECT_FALSE(platform::readRegularFile(file, &why, 9, &failure));
    EXPECT_EQ(failure, platform::ReadFailure::tooLarge);
    EXPECT_EQ(why, "larger than 9 bytes");
}

TEST(Files, ProcessesAndTheProgramsFolder)
{
    EXPECT_TRUE(platform::processRunning(platform::processId()));
    EXPECT_FALSE(platform::processRunning(0));
    EXPECT_TRUE(std::filesystem::is_directory(platform::fsPath(platform::programFolder())));
    EXPECT_TRUE(std::filesystem::equivalent(platform::fsPath(platform::workingFolder()),
                                            std::filesystem::current_path()));
}

// Only regular files take appended text; anything else is refused at once,
// also a FIFO or a pipe whose other end is open (where a plain opening would
// succeed), and a device is not opened at all.
TEST(AppendFile, RefusesWhatIsNoRegularFile)
{
    TempDir dir;
    std::string why;
#if defined(_WIN32)
    const std::wstring pipeName = L"\\\\.\\pipe\\append-test-" + std::to_wstring(platform::processId());
    const HANDLE server = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_NOWAIT, 4,
                                           4096, 4096, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    // The device path of the pipe, and the same pipe under a path that only
    // its opening shows to be one.
    for (const std::wstring& name : {pipeName, L"\\\\?\\" + pipeName.substr(4)}) {
        const std::string path(name.begin(), name.end());
        EXPECT_FALSE(platform::AppendFile::open(path, &why)) << path;
        EXPECT_EQ(why, "it is not a regular file");
    }
    CloseHandle(server);
    for (const std::string& device : {std::string("NUL"), dir.str() + "\\COM1", dir.str() + "\\con.log"}) {
        EXPECT_FALSE(platform::AppendFile::open(device, &why)) << device;
        EXPECT_EQ(why, "it is not a regular file");
    }
#else
    const std::string fifo = (dir.path() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_FALSE(platform::AppendFile::open(fifo, &why));
    EXPECT_EQ(why, "it is not a regular file");
    ::close(reader);
    EXPECT_FALSE(platform::AppendFile::open("/dev/null", &why));
    EXPECT_EQ(why, "it is not a regular file");
#endif
    EXPECT_FALSE(platform::AppendFile::open(dir.str(), &why));
    EXPECT_EQ(why, "it is a folder, not a file");
    EXPECT_FALSE(platform::AppendFile::open(platform::utf8Path(dir.path() / "no" / "file"), &why));
#if !defined(_WIN32)
    EXPECT_EQ(why, "No such file or directory");
#endif
}

// A new file is made; a link is followed to its file; the end of what is
// there already is noted. On Windows a line ends in CR LF.
TEST(AppendFile, MakesNewFilesAndNotesATornEnd)
{
    TempDir dir;
    auto fresh = platform::AppendFile::open(platform::utf8Path(dir.path() / platform::fsPath("новый.log")));
    ASSERT_TRUE(fresh);
    EXPECT_FALSE(fresh->openedMidLine());
    const auto written = fresh->append("a\nb\n");
    EXPECT_EQ(written.bytes, 4u);
    EXPECT_EQ(written.error, 0);
#if defined(_WIN32)
    EXPECT_EQ(platform::readRegularFile(platform::utf8Path(dir.path() / platform::fsPath("новый.log"))), "a\r\nb\r\n");
#endif

    const std::string torn = dir.write("torn.log", "line\ntor");
#if defined(_WIN32)
    const std::string opened = torn;
#else
    std::filesystem::create_symlink(torn, dir.path() / "link.log");
    const std::string opened = (dir.path() / "link.log").string();
#endif
    auto file = platform::AppendFile::open(opened);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->openedMidLine());
    // A second writer appends after the first, never over it.
    auto second = platform::AppendFile::open(torn);
    ASSERT_TRUE(second);
    EXPECT_EQ(file->append("n").error, 0);
    EXPECT_EQ(second->append("|").error, 0);
    EXPECT_FALSE(platform::AppendFile::open(dir.write("whole.log", "line\n"))->openedMidLine());
    EXPECT_EQ(platform::readRegularFile(torn), "line\ntorn|");
}

#if !defined(_WIN32)
// A full disk for one process is a file size limit, which Windows does not have.
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
#endif

} // namespace
