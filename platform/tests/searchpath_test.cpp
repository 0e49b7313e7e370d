#include "platform/searchpath.h"
#include "tests/support/machine_search_path.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

#if defined(_WIN32)
TEST(SearchPath, ReadsTheRegistryValueAsStored)
{
    TempDir dir;
    TestSearchPath path(dir.path());
    path.set("C:\\tools;D:\\ksil lib\\;;%SystemRoot%\\system32;C:\\ОРД4К");
    EXPECT_EQ(platform::machineSearchPathText(), "C:\\tools;D:\\ksil lib\\;;%SystemRoot%\\system32;C:\\ОРД4К");
    const std::vector<std::string> want = {"C:\\tools", "D:\\ksil lib\\", "%SystemRoot%\\system32", "C:\\ОРД4К"};
    EXPECT_EQ(platform::machineSearchPath(), want);

    path.setWithoutPath();
    EXPECT_FALSE(platform::machineSearchPathText());
    path.setMissing();
    EXPECT_FALSE(platform::machineSearchPathText());
    EXPECT_TRUE(platform::machineSearchPath().empty());
}

TEST(SearchPath, TheMachinesOwnValueNamesTheSystemFolder)
{
    auto text = platform::machineSearchPathText();
    ASSERT_TRUE(text);
    std::transform(text->begin(), text->end(), text->begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    EXPECT_NE(text->find("system32"), std::string::npos) << *text;
}
#else

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

#endif

} // namespace
