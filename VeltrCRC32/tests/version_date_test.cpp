#include "VeltrCRC32/VeltrCRC32.h"
#include "file_fixture.h"

#include <gtest/gtest.h>

#include <ctime>
#include <utime.h>

namespace {

TEST(VersionDate, FileWithoutVersionRecord)
{
    TempDir dir;
    const std::string file = dir.write("plain.so", "not an ELF file");
    const std::time_t written = 1765000000; // a December afternoon, 2025
    const utimbuf times{written, written};
    ASSERT_EQ(::utime(file.c_str(), &times), 0);

    std::string version = "old", date = "old", time = "old", name = "old";
    EXPECT_EQ(fileVersionDate(file, &version, &date, &time, &name), 0);
    EXPECT_EQ(version, "n/a");
    EXPECT_EQ(name, "plain.so");
    std::tm local{};
    ASSERT_TRUE(localtime_r(&written, &local));
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
