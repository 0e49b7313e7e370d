#include "p_ksil2/app_state.h"
#include "p_ksil2/globals.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(ResourcePath, DefaultsToTheProgramsOwnFolder)
{
    setResourceDir("");
    const auto exeDir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    EXPECT_EQ(std::filesystem::path(resourcePath()), exeDir);
    EXPECT_EQ(std::filesystem::path(resourceFile()), exeDir / "p_ksil2.uir");

    setResourceDir("/some/where");
    EXPECT_EQ(std::filesystem::path(resourceFile()), std::filesystem::path("/some/where/p_ksil2.uir"));
    setResourceDir("");
}

} // namespace
