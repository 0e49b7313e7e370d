#include "VeltrCRC32/VeltrCRC32.h"
#include "file_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace std::string_literals;

namespace {

std::string noise(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

int check(const std::string& path, std::uint32_t* stored = nullptr)
{
    std::uint32_t s = 0, c = 0;
    const int result = checkFileCRC32(path, s, c);
    if (stored)
        *stored = s;
    return result;
}

// Positions where two texts of one length differ.
std::vector<std::size_t> changed(const std::string& a, const std::string& b)
{
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            at.push_back(i);
    return at;
}

TEST(Stamp, WritesOnlyTheDigitsAndTheirZeroByte)
{
    TempDir dir;
    const std::string head = noise(300, 1) + marker();
    const std::string before = head + "FFFFFFFFQ" + noise(500, 2);
    const std::string file = dir.write("lib.so", before);
#if !defined(_WIN32)
    ASSERT_EQ(::chmod(file.c_str(), 0751), 0);
#endif

    ASSERT_EQ(stampFileCRC32(file), 0);
    const std::string after = readBytes(file);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t at : changed(before, after)) {
        EXPECT_GE(at, head.size());
        EXPECT_LT(at, head.size() + crc::kFieldSize);
    }
    EXPECT_EQ(after[head.size() + crc::kDigits], '\0');
#if !defined(_WIN32)
    EXPECT_EQ(std::filesystem::status(file).permissions(), static_cast<std::filesystem::perms>(0751));
#endif

    std::uint32_t stored = 0, computed = 0, asRead = 0;
    EXPECT_EQ(checkFileCRC32(file, stored, computed, &asRead), 0);
    EXPECT_EQ(stored, computed);
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", stored);
    EXPECT_EQ(after.substr(head.size(), crc::kDigits), digits);
    // The stored checksum is the one with '0' digits, not that of the bytes as they are.
    EXPECT_NE(asRead, stored);

    // Stamping again changes nothing.
    ASSERT_EQ(stampFileCRC32(file), 0);
    EXPECT_EQ(readBytes(file), after);

    // Any other byte changed, or a digit changed, and the file no longer checks.
    for (std::size_t at : {std::size_t{0}, head.size() - crc::kMarker.size() - 1, head.size() + crc::kDigits,
                           after.size() - 1, head.size(), head.size() + 7}) {
        std::string bad = after;
        bad[at] = static_cast<char>(bad[at] == '1' ? '2' : '1');
        EXPECT_EQ(check(dir.write("lib.so", bad)), 1) << at;
    }
}

TEST(Stamp, OnlyTheFirstMarkerCounts)
{
    TempDir dir;
    const std::string first = "abc" + marker();
    const std::string second = "00000000"s + '\0' + "between" + marker() + "12345678" + '\0' + noise(40, 3);
    const std::string file = dir.write("two", first + second);
    ASSERT_EQ(stampFileCRC32(file), 0);
    const std::string after = readBytes(file);
    EXPECT_EQ(after.substr(first.size() + crc::kFieldSize), second.substr(crc::kFieldSize));
    EXPECT_EQ(check(file), 0);

    // The second marker's digits are checksummed bytes like any other.
    std::string bad = after;
    bad[after.rfind(marker()) + crc::kMarker.size()] = '9';
    EXPECT_EQ(check(dir.write("two", bad)), 1);
}

TEST(Stamp, NeverLengthensTheFile)
{
    TempDir dir;
    const std::string head = noise(30, 4) + marker();

    // Room for the digits and the zero byte and no more, or a little more
    // (well under 48 bytes after the marker): stamped, same length.
    for (std::size_t tail : {std::size_t{0}, std::size_t{20}}) {
        const std::string before = head + std::string(crc::kFieldSize + tail, 'x');
        const std::string file = dir.write("near_end", before);
        ASSERT_EQ(stampFileCRC32(file), 0) << tail;
        EXPECT_EQ(readBytes(file).size(), before.size());
        EXPECT_EQ(check(file), 0);
    }

    // Too little room, a marker at the very end, a file too short: refused, untouched.
    for (const std::string& before : {head + "1234", head + std::string(crc::kDigits, '0'), head,
                                      marker().substr(0, 19), noise(100, 5)}) {
        const std::string file = dir.write("refused", before);
        EXPECT_EQ(stampFileCRC32(file), -1) << before.size();
        EXPECT_EQ(readBytes(file), before);
    }
}

#if defined(_WIN32)
TEST(Stamp, AReadOnlyFileIsLeftAsItWas)
{
    TempDir dir;
    const std::string before = "abc" + marker() + std::string(100, '7');
    const std::string readOnly = dir.write("read_only", before);
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_write | std::filesystem::perms::group_write | std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_EQ(stampFileCRC32(readOnly), -1);
    EXPECT_EQ(readBytes(readOnly), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file left";
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}
#else
TEST(Stamp, AFileThatCannotBeWrittenIsLeftAsItWas)
{
    TempDir dir;
    const std::string before = "abc" + marker() + std::string(100, '7');
    ASSERT_EQ(::chmod(dir.str().c_str(), 0777), 0);

    // No write permission on the file, though its folder could take a new file.
    const std::string readOnly = dir.write("read_only", before);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    EXPECT_TRUE(withoutPrivileges([&] { return stampFileCRC32(readOnly) == -1; }));
    EXPECT_EQ(readBytes(readOnly), before);

    // A writable file in a folder where no file can be made beside it.
    const std::string inner = (dir.path() / "locked").string();
    ASSERT_TRUE(std::filesystem::create_directory(inner));
    const std::string file = inner + "/lib.so";
    std::ofstream(file, std::ios::binary) << before;
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(inner.c_str(), 0555), 0);
    EXPECT_TRUE(withoutPrivileges([&] { return stampFileCRC32(file) == -1; }));
    EXPECT_EQ(readBytes(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(inner), {}), 1) << "no temporary file left";
    ::chmod(inner.c_str(), 0755);
}

TEST(Stamp, ALinkStaysALink)
{
    TempDir dir;
    const std::string target = dir.write("real.so", "abc" + marker() + std::string(30, '7'));
    const auto link = dir.path() / "link.so";
    std::filesystem::create_symlink(target, link);
    ASSERT_EQ(stampFileCRC32(link.string()), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(check(target), 0);
}

#endif

} // namespace
