#include "VeltrCRC32/VeltrCRC32.h"
#include "file_fixture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

using namespace std::string_literals;

namespace {

std::span<const unsigned char> bytesOf(std::string_view s)
{
    return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

std::uint32_t zlibCrc(const std::string& s)
{
    return static_cast<std::uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(s.data()), static_cast<uInt>(s.size())));
}

TEST(Crc32, CheckValueAndPatternSearch)
{
    EXPECT_EQ(calcCRC32(bytesOf("123456789")), 0xCBF43926u);

    EXPECT_EQ(findInBuffer(bytesOf("xxABCxABCx"), "ABC"), 2u);
    // A pattern must start before length - pattern length: one ending at the
    // very end is not found, one ending a byte earlier is.
    EXPECT_FALSE(findInBuffer(bytesOf("xxxABC"), "ABC"));
    EXPECT_EQ(findInBuffer(bytesOf("xxABCx"), "ABC"), 2u);
    EXPECT_FALSE(findInBuffer(bytesOf("AB"), "ABC"));
    EXPECT_FALSE(findInBuffer(bytesOf("ABC"), "ABC"));
    // The marker is Windows-1251 bytes; its UTF-8 spelling is something else.
    EXPECT_FALSE(findInBuffer(bytesOf("ВстроенныйCRC32=00000000"), crc::kMarker));
    EXPECT_EQ(findInBuffer(bytesOf(marker() + "00000000"), crc::kMarker), 0u);
}

TEST(Crc32, WholeFilesAgreeWithZlib)
{
    TempDir dir;
    std::mt19937 rng(20261208);
    for (std::size_t size : {std::size_t{1}, std::size_t{3}, std::size_t{4096}, std::size_t{65537},
                             std::size_t{3} << 20}) {
        std::string data(size, '\0');
        for (char& c : data)
            c = static_cast<char>(rng());
        const std::string file = dir.write("random.bin", data);
        EXPECT_EQ(fileCRC32(file), zlibCrc(data)) << size;
        EXPECT_EQ(calcCRC32(bytesOf(data)), zlibCrc(data)) << size;
    }
}

TEST(Crc32, UnreadableFiles)
{
    TempDir dir;
    std::uint32_t stored = 1, computed = 1, asRead = 7;
    for (const std::string& path : {dir.write("empty", ""), (dir.path() / "missing").string(), dir.str()}) {
        EXPECT_EQ(fileCRC32(path), 0u) << path;
        EXPECT_EQ(checkFileCRC32(path, stored, computed, &asRead), -1) << path;
        EXPECT_EQ(stored, 0u);
        EXPECT_EQ(computed, 0u);
        EXPECT_EQ(asRead, 7u) << "not computed for a file that was not read";
        EXPECT_EQ(stampFileCRC32(path), -1) << path;
    }

#if !defined(_WIN32)
    const std::string secret = dir.write("secret.bin", "abc" + marker() + "00000000" + std::string(60, 'z'));
    ASSERT_EQ(::chmod(dir.str().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(secret.c_str(), 0200), 0);
    EXPECT_TRUE(withoutPrivileges([&] {
        std::uint32_t s = 0, c = 0;
        return fileCRC32(secret) == 0 && checkFileCRC32(secret, s, c) == -1 && stampFileCRC32(secret) == -1;
    }));
#endif
}

TEST(Crc32, CheckReadsTheStoredDigits)
{
    TempDir dir;
    std::uint32_t stored = 0, computed = 0, asRead = 0;

    // No marker: -1, but both checksums of the file are still given.
    const std::string plain = "no marker in here at all";
    EXPECT_EQ(checkFileCRC32(dir.write("plain", plain), stored, computed, &asRead), -1);
    EXPECT_EQ(stored, 0u);
    EXPECT_EQ(computed, zlibCrc(plain));
    EXPECT_EQ(asRead, zlibCrc(plain));

    // A marker followed by no digit: stored 0, nothing replaced.
    const std::string bare = "head" + marker() + "zz tail";
    EXPECT_EQ(checkFileCRC32(dir.write("bare", bare), stored, computed, &asRead), 1);
    EXPECT_EQ(stored, 0u);
    EXPECT_EQ(computed, zlibCrc(bare));

    // The digits are read as a number is: white space, sign and 0x prefix are
    // part of it and read as '0' in the checksum, as are lower-case digits.
    const std::string head = "head" + marker();
    for (const auto& [field, value] : {std::pair<std::string, std::uint32_t>{" 0x00c0FFee", 0x00C0FFEEu},
                                       {"-1", 0xFFFFFFFFu},
                                       {"123456789AB", 0xFFFFFFFFu},
                                       {"0xg", 0u}}) {
        const std::string tail = "\0rest"s;
        const std::string withZeros = head + std::string(field == "0xg" ? 1 : field.size(), '0') +
                                      (field == "0xg" ? "xg" : "") + tail;
        EXPECT_EQ(checkFileCRC32(dir.write("field", head + field + tail), stored, computed), 1) << field;
        EXPECT_EQ(stored, value) << field;
        EXPECT_EQ(computed, zlibCrc(withZeros)) << field;
    }
}

} // namespace
