// The program started where no display can be reached: it ends with -1 and
// one line on standard error that names the display, instead of aborting.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Outcome {
    bool exited = false;
    int code = 0;
    std::string err;
};

// Runs the program with this environment and collects its standard error.
Outcome runProgram(const std::vector<std::string>& env)
{
    Outcome out;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return out;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", 0, 0);
    std::vector<char*> envp;
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    char program[] = KSIL_PROGRAM;
    char* argv[] = {program, nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    char buf[512];
    for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) > 0;)
        out.err.append(buf, static_cast<size_t>(n));
    close(pipeFds[0]);
    if (spawned != 0)
        return out;
    int status = 0;
    waitpid(pid, &status, 0);
    out.exited = WIFEXITED(status);
    out.code = out.exited ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return out;
}

// This environment without the variables that choose a display.
std::vector<std::string> environmentWithout()
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string_view entry(*e);
        if (entry.starts_with("DISPLAY=") || entry.starts_with("WAYLAND_DISPLAY=")
            || entry.starts_with("QT_QPA_PLATFORM="))
            continue;
        env.emplace_back(entry);
    }
    return env;
}

// A local display number no X server listens on.
std::string unusedDisplay()
{
    for (int n = 97; n > 10; --n)
        if (!std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n))
            && !std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
            return ":" + std::to_string(n);
    return ":97";
}

TEST(Display, UnreachableServerEndsWithMinusOneAndOneLineNamingIt)
{
    const std::string display = unusedDisplay();
    std::vector<std::string> env = environmentWithout();
    env.push_back("DISPLAY=" + display);
    const Outcome out = runProgram(env);
    ASSERT_TRUE(out.exited) << "ended by signal " << out.code - 128 << "; stderr:\n" << out.err;
    EXPECT_EQ(out.code, 255);
    ASSERT_FALSE(out.err.empty());
    EXPECT_EQ(out.err.find('\n'), out.err.size() - 1) << out.err; // one line
    EXPECT_NE(out.err.find("\"" + display + "\""), std::string::npos) << out.err;
}

TEST(Display, NoDisplayAtAllIsSaidTheSameWay)
{
    const Outcome out = runProgram(environmentWithout());
    ASSERT_TRUE(out.exited) << "ended by signal " << out.code - 128 << "; stderr:\n" << out.err;
    EXPECT_EQ(out.code, 255);
    EXPECT_EQ(out.err.find('\n'), out.err.size() - 1) << out.err;
    EXPECT_NE(out.err.find("DISPLAY"), std::string::npos) << out.err;
}

} // namespace
