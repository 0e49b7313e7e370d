#include "VeltrCRC32/VeltrCRC32.h"
#include "VeltrCRC32/marker.h"
#include "drivers/tvksil2_math.h"
#include "tests/support/read_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

TEST(LibraryFile, CarriesItsChecksumAndVersion)
{
    // Stamped after linking: the file in the build tree checks.
    std::uint32_t stored = 0, computed = 0, asRead = 0;
    EXPECT_EQ(checkFileCRC32(TVKSIL2_MATH_FILE, stored, computed, &asRead), 0);
    EXPECT_EQ(stored, computed);
    EXPECT_NE(stored, 0u);

    // The marker is there once, so the checksum is the one the panel reads.
    const std::string bytes = readBytes(TVKSIL2_MATH_FILE);
    const auto first = bytes.find(crc::kMarker);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(bytes.find(crc::kMarker, first + 1), std::string::npos);

    std::string version, name;
    EXPECT_EQ(fileVersionDate(TVKSIL2_MATH_FILE, &version, nullptr, nullptr, &name), 0);
    EXPECT_EQ(version, "1.0");
    EXPECT_EQ(name, kMathLibraryFile);
}

} // namespace
