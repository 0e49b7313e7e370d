#include "platform/process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> readArgs(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> args;
    std::string arg;
    while (std::getline(in, arg, '\0'))
        args.push_back(arg);
    return args;
}

TEST(Process, ArgumentsArriveLiterally)
{
    TempDir dir;
    const std::string out = (dir.path() / "argv.txt").string();
    const std::vector<std::string> args = {
        out,
        "C:\\protocols\\ksil5 log.txt",
        "\"quoted\" and 'single'",
        "a; touch " + (dir.path() / "injected").string(),
        "$HOME `id` *",
        "",
        // The quoting rules of a Windows command line: backslashes count
        // before a quote only, and a folder's trailing backslash stays.
        "C:\\dir with blank\\",
        "a\\\\\"b\\c",
        "\\\\server\\share",
        "%PATH% & | < > ^",
        "ОРД4К протокол",
    };
    ASSERT_EQ(platform::startProgram(ARGV_DUMP, args), 0);

    // The program runs on its own; wait for its output on real time, 5 s at most.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!std::filesystem::exists(out) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(std::filesystem::exists(out)) << "helper did not run";

    const std::vector<std::string> want(args.begin() + 1, args.end());
    EXPECT_EQ(readArgs(out), want);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "injected"));
}

TEST(Process, FoundOnThePathOrFailsCleanly)
{
#if defined(_WIN32)
    EXPECT_EQ(platform::startProgram("hostname.exe", {}), 0);
#else
    EXPECT_EQ(platform::startProgram("true", {"ignored"}), 0);
#endif
    EXPECT_LT(platform::startProgram("/nonexistent/folder/program", {"x"}), 0);
    EXPECT_LT(platform::startProgram("no-such-program-on-path-zq", {}), 0);
    EXPECT_LT(platform::startProgram("", {}), 0);
}

} // namespace
