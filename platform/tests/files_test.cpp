#include "platform/files.h"
#include "platform/process.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>

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

} // namespace
