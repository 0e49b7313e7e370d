#include "VeltrCRC32/VeltrCRC32.h"
#include "file_fixture.h"

#include <gtest/gtest.h>

#include "platform/datetime.h"

#include <ctime>

namespace {

TEST(VersionDate, FileWithoutVersionRecord)
{
    TempDir dir;
    const std::string file = dir.write("plain.so", "not an ELF file");
    const std::time_t written = 1765000000; // a December afternoon, 2025
    ASSERT_TRUE(setWriteTime(file, written));

    std::string version = "old", date = "old", time = "old", name = "old";
    EXPECT_EQ(fileVersionDate(file, &version, &date, &time, &name), 0);
    EXPECT_EQ(version, "n/a");
    EXPECT_EQ(name, "plain.so");
    const std::tm local = platform::localParts(written);
    char want[32];
    std::strftime(want, sizeof want, "%d-%m-%Y", &local);
    EXPECT_EQ(date, want);
    std::strftime(want, sizeof want, "%H:%M", &local);
    EXPECT_EQ(time, want);

    // Only the texts asked for are filled.
    EXPECT_EQ(fileVersionDate(file, nullptr, &date, nullptr, nullptr), 0);
    EXPECT_EQ(date.size(), 10u);
}

TEST(VersionDate, MissingFileAndLongNames)
{
    std::string version, date = "old", time = "old", name;
    EXPECT_EQ(fileVersionDate("/no/such/folder/lib.so", &version, &date, &time, &name), 0);
    EXPECT_EQ(version, "n/a");
    EXPECT_EQ(date, "");
    EXPECT_EQ(time, "");
    EXPECT_EQ(name, "lib.so");

    EXPECT_EQ(fileVersionDate("bare_name", nullptr, nullptr, nullptr, &name), 0);
    EXPECT_EQ(name, "bare_name");

    // The name is cut at 127 characters, not in the middle of a letter.
    std::string longName;
    for (int i = 0; i < 130; ++i)
        longName += "ж";
    EXPECT_EQ(fileVersionDate("/x/" + longName, nullptr, nullptr, nullptr, &name), 0);
    EXPECT_EQ(name, longName.substr(0, 127 * 2));
}

} // namespace
