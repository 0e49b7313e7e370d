#include "platform/files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

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

} // namespace
