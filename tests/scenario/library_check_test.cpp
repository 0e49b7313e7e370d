// The switch-code library check of start-up and ABOUT: where the file is
// looked for, the warning on a wrong checksum, and ABOUT's line.
#include "tests/harness/harness.h"

#include "VeltrCRC32/VeltrCRC32.h"
#include "VeltrCRC32/marker.h"
#include "drivers/tvksil2_math.h"
#include "platform/files.h"
#include "platform/searchpath.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

const std::string kWarningText = "Некорректная контрольная сумма\nфайла " + std::string(kMathLibraryFile) + "!";

class LibraryCheck : public testing::Test {
protected:
    // A copy of the built library file in folder (with one byte changed, well
    // away from the stored digits, when corrupted), last written at noon on
    // 12 June 2026, local time.
    fs::path install(const fs::path& folder, bool corrupted = false)
    {
        fs::create_directories(folder);
        const fs::path path = folder / kMathLibraryFile;
        fs::copy_file(TVKSIL2_MATH_FILE, path, fs::copy_options::overwrite_existing);
        if (corrupted)
            corrupt(path);
        std::tm noon{};
        noon.tm_year = 2026 - 1900;
        noon.tm_mon = 5;
        noon.tm_mday = 12;
        noon.tm_hour = 12;
        noon.tm_isdst = -1;
        EXPECT_TRUE(setWriteTime(path, std::mktime(&noon)));
        return path;
    }
    void setSearchPath(const std::string& text) { h.setMachineSearchPath(text); }
    static void corrupt(const fs::path& path)
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(f), {}};
        const auto marker = bytes.find(crc::kMarker);
        ASSERT_NE(marker, std::string::npos);
        const std::size_t at = marker > bytes.size() / 2 ? 64 : bytes.size() - 64;
        f.seekp(static_cast<std::streamoff>(at));
        f.put(static_cast<char>(bytes[at] ^ 0x5A));
    }
    static std::string expectedLine(const fs::path& path)
    {
        char crc[9];
        std::snprintf(crc, sizeof crc, "%08X", static_cast<unsigned>(fileCRC32(path.string())));
        return std::string(kMathLibraryFile) + ", версия:1.0, дата:12-06-2026, CRC32=" + crc;
    }
    std::vector<tk::headless::PopupRecord> warnings() const
    {
        std::vector<tk::headless::PopupRecord> found;
        for (const auto& p : h.popups())
            if (p.title == "ВНИМАНИЕ!")
                found.push_back(p);
        return found;
    }

    Harness h{Bench::empty()};
};

// The name the program looks for is the file the build makes.
TEST(LibraryFileName, IsTheBuiltFile)
{
    EXPECT_EQ(fs::path(TVKSIL2_MATH_FILE).filename().string(), kMathLibraryFile);
}

TEST_F(LibraryCheck, IntactFileInTheWorkingFolder)
{
    const fs::path path = install(h.folder());
    ASSERT_EQ(h.start(), 0);
    EXPECT_TRUE(warnings().empty());
    EXPECT_EQ(h.text(hABOUT, ABOUT_CERT_MSG), expectedLine(path));
    // The line shows the CRC-32 of the bytes as read, not the stored checksum
    // (computed over '0' digits), which differs from it.
    std::uint32_t stored = 0, computed = 0;
    ASSERT_EQ(checkFileCRC32(path.string(), stored, computed), 0);
    EXPECT_NE(stored, fileCRC32(path.string()));
}

// Along the search path (an entry with a trailing slash) when the working
// folder has no file; a file in the working folder is found before it.
TEST_F(LibraryCheck, SearchPathAfterTheWorkingFolder)
{
    const fs::path onPath = install(h.folder() / "lib");
    setSearchPath((h.folder() / "no" / "such").string() + platform::kSearchPathSeparator +
                  (h.folder() / "lib").string() + platform::kFolderSeparator);
    ASSERT_EQ(h.start(), 0);
    EXPECT_EQ(h.text(hABOUT, ABOUT_CERT_MSG), expectedLine(onPath));

    install(h.folder() / "lib", true);
    const fs::path here = install(h.folder());
    refreshAbout();
    EXPECT_TRUE(warnings().empty());
    EXPECT_EQ(h.text(hABOUT, ABOUT_CERT_MSG), expectedLine(here));
}

TEST_F(LibraryCheck, CorruptedFileIsAnnouncedTwiceAndTheProgramRunsOn)
{
    const fs::path path = install(h.folder(), true);
    ASSERT_EQ(h.start(), 0);
    ASSERT_EQ(warnings().size(), 2u); // start-up's check and refreshAbout's
    for (const auto& w : warnings())
        EXPECT_EQ(w.text, kWarningText);
    EXPECT_EQ(h.text(hABOUT, ABOUT_CERT_MSG), expectedLine(path));
    EXPECT_EQ(h.run(), Harness::kRunning);
}

TEST_F(LibraryCheck, NoFileMeansNoMessageAndTheLineAsLoaded)
{
    setSearchPath((h.folder() / "empty").string());
    ASSERT_EQ(h.start(), 0);
    EXPECT_TRUE(h.popups().empty());
    EXPECT_EQ(h.text(hABOUT, ABOUT_CERT_MSG), "");
}

TEST_F(LibraryCheck, FileWithoutMarkerShowsNoLine)
{
    std::ofstream(h.folder() / kMathLibraryFile) << "a library file that carries no checksum";
    ASSERT_EQ(h.start(), 0);
    EXPECT_TRUE(h.popups().empty());
    EXPECT_EQ(h.text(hABOUT, ABOUT_CERT_MSG), "");
}

} // namespace
