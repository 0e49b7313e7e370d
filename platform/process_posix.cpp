// Starting a program with posix_spawnp: the arguments go to it as they are,
// with no command interpreter in between, and we do not wait for it.
#include "platform/process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

// Programs we started and have not yet seen end. They are collected without
// blocking on each start, so finished ones do not linger as zombies; the
// process-wide SIGCHLD disposition is left alone (others may wait for their
// own children).
std::vector<pid_t> started;

void collectFinished()
{
    std::erase_if(started, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

Launcher* installed = nullptr;

int spawn(const std::string& program, const std::vector<std::string>& args)
{
    collectFinished();
    if (program.empty())
        return -1;

    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    // glibc reports a failed exec (program not found, not executable) here.
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    started.push_back(pid);
    return 0;
}

} // namespace

int startProgram(const std::string& program, const std::vector<std::string>& args)
{
    return installed ? installed->start(program, args) : spawn(program, args);
}

const char* textViewer()
{
    return "xdg-open";
}

long processId()
{
    return static_cast<long>(::getpid());
}

bool processRunning(long id)
{
    return id > 0 && (::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH);
}

void setLauncher(Launcher* launcher)
{
    installed = launcher;
}

} // namespace platform
