#include "p_ksil2/app_state.h"
#include "p_ksil2/globals.h"
#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(ResourcePath, DefaultsToTheProgramsOwnFolder)
{
    setResourceDir("");
#if defined(_WIN32)
    const auto exeDir = platform::fsPath(platform::programFolder());
    EXPECT_TRUE(std::filesystem::exists(exeDir / "p_ksil2_tests.exe")) << exeDir;
#else
    const auto exeDir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
#endif
    EXPECT_EQ(std::filesystem::path(resourcePath()), exeDir);
    EXPECT_EQ(std::filesystem::path(resourceFile()), exeDir / "p_ksil2.uir");

    setResourceDir("/some/where");
    EXPECT_EQ(std::filesystem::path(resourceFile()), std::filesystem::path("/some/where/p_ksil2.uir"));
    setResourceDir("");
}

} // namespace
