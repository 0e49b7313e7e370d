#include "platform/version_record.h"
#include "tests/support/read_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

TEST(VersionRecord, ReadsTheKeysOfTheEmbeddedRecord)
{
    EXPECT_EQ(platform::versionValue(VERSIONED_LIB, "\\VarFileInfo\\Translation"), "0409 04b0");
    EXPECT_EQ(platform::versionValue(VERSIONED_LIB, "\\StringFileInfo\\040904b0\\FileVersion"), "2.7");
    EXPECT_FALSE(platform::versionValue(VERSIONED_LIB, "\\StringFileInfo\\041904e3\\FileVersion"));
    EXPECT_FALSE(platform::versionValue(VERSIONED_LIB, "\\StringFileInfo\\040904b0\\File"));
}

TEST(VersionRecord, FilesWithoutARecordGiveNothing)
{
    EXPECT_FALSE(platform::versionValue(FAKE_VISA_FULL, "\\VarFileInfo\\Translation"));
    TempDir dir;
    EXPECT_FALSE(platform::versionValue((dir.path() / "missing.so").string(), "\\VarFileInfo\\Translation"));
    const std::string text = dir.write("text.so", "\\VarFileInfo\\Translation=0409 04b0\n");
    EXPECT_FALSE(platform::versionValue(text, "\\VarFileInfo\\Translation"));

    // Cut short at every length that ends inside the headers or the section
    // table. (The system's reader on Windows still finds a resource that lies
    // whole before the cut, so there only the headers are cut.)
    const std::string whole = readBytes(VERSIONED_LIB);
    ASSERT_GT(whole.size(), 64u);
#if defined(_WIN32)
    const std::size_t lengths[] = {4, 20, 64};
#else
    const std::size_t lengths[] = {4, 20, 64, whole.size() / 2, whole.size() - 1};
#endif
    for (std::size_t len : lengths) {
        const std::string cut = dir.write("cut.so", whole.substr(0, len));
        EXPECT_FALSE(platform::versionValue(cut, "\\VarFileInfo\\Translation")) << len;
    }
}

} // namespace
