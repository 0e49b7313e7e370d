#include "platform/searchpath.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

namespace {

struct EnvironmentFileGuard {
    ~EnvironmentFileGuard() { platform::setMachineEnvironmentFile({}); }
};

TEST(SearchPath, ReadsThePathLineOfTheEnvironmentFile)
{
    EnvironmentFileGuard guard;
    TempDir dir;
    platform::setMachineEnvironmentFile(dir.write("environment", "# machine-wide settings\n"
                                                                 "LANG=ru_RU.UTF-8\n"
                                                                 "MYPATH=/not/this\n"
                                                                 "PATH=\"/usr/local/bin:/opt/ksil lib/::/usr/bin\"\r\n"
                                                                 "EDITOR=vi\n"));
    EXPECT_EQ(platform::machineSearchPathText(), "/usr/local/bin:/opt/ksil lib/::/usr/bin");
    const std::vector<std::string> want = {"/usr/local/bin", "/opt/ksil lib/", "/usr/bin"};
    EXPECT_EQ(platform::machineSearchPath(), want);

    platform::setMachineEnvironmentFile(dir.write("environment2", "PATH=/first\nPATH='/second:/third'\n"));
    EXPECT_EQ(platform::machineSearchPath(), (std::vector<std::string>{"/second", "/third"}));
}

TEST(SearchPath, NoFileOrNoPathLineGivesNothing)
{
    EnvironmentFileGuard guard;
    TempDir dir;
    platform::setMachineEnvironmentFile(dir.write("environment", "LANG=C\n"));
    EXPECT_FALSE(platform::machineSearchPathText());
    EXPECT_TRUE(platform::machineSearchPath().empty());

    platform::setMachineEnvironmentFile((dir.path() / "missing").string());
    EXPECT_FALSE(platform::machineSearchPathText());
    EXPECT_TRUE(platform::machineSearchPath().empty());
}

} // namespace
