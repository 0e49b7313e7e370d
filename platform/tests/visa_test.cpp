#include "platform/visa_bind.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using platform::libraryFileName;

std::string fileName(const char* path)
{
    return std::filesystem::path(path).filename().string();
}

struct LibraryDirsGuard {
    ~LibraryDirsGuard() { platform::setLibraryDirs({}); }
};

TEST(VisaBinding, ReportsTheMissingLibraryOrEntryPoint)
{
    std::string error;
    EXPECT_FALSE(platform::bindVisa("no_visa_here_zq.dll", &error));
    EXPECT_NE(error.find(libraryFileName("no_visa_here_zq.dll")), std::string::npos) << error;

    EXPECT_FALSE(platform::bindVisa(FAKE_VISA_NOQUERY, &error));
    EXPECT_NE(error.find("viQueryf"), std::string::npos) << error;
    EXPECT_NE(error.find(fileName(FAKE_VISA_NOQUERY)), std::string::npos) << error;

    auto binding = platform::bindVisa(FAKE_VISA_FULL, &error);
    ASSERT_TRUE(binding) << error;
    const platform::VisaApi& api = binding->api;
    ViSession rm = 0;
    EXPECT_EQ(api.viOpenDefaultRM(&rm), VI_SUCCESS);
    EXPECT_EQ(rm, 0x1234u);
    EXPECT_EQ(api.viQueryf(1, "*IDN?\n", "%t", nullptr), VI_ERROR_TMO);
}

TEST(VisaBinding, VisaRetriesAfterFailureAndKeepsTheLibraryOnceBound)
{
    LibraryDirsGuard guard;
    TempDir none, broken, complete;
    const std::string visaFile = libraryFileName(kVisaLibraryName);
    std::filesystem::copy_file(FAKE_VISA_NOQUERY, broken.path() / visaFile);
    std::filesystem::copy_file(FAKE_VISA_FULL, complete.path() / visaFile);

    // A binder of its own, so that no earlier binding in this process hides the steps.
    platform::VisaOnce visa(kVisaLibraryName);
    std::string error;
    platform::setLibraryDirs({none.str()});
    EXPECT_EQ(visa.get(&error), nullptr);
    EXPECT_NE(error.find(visaFile), std::string::npos) << error;

    platform::setLibraryDirs({broken.str()});
    EXPECT_EQ(visa.get(&error), nullptr);
    EXPECT_NE(error.find("viQueryf"), std::string::npos) << error;

    platform::setLibraryDirs({complete.str()});
    const platform::VisaApi* api = visa.get(&error);
    ASSERT_NE(api, nullptr) << error;

    // Bound for good: no further lookups, and the library stays loaded.
    platform::setLibraryDirs({none.str()});
    EXPECT_EQ(visa.get(), api);
    ViSession rm = 0;
    EXPECT_EQ(api->viOpenDefaultRM(&rm), VI_SUCCESS);
    EXPECT_EQ(rm, 0x1234u);
}

} // namespace
