#include "tests/environment/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Reads what one pipe holds into buffer; false at its end.
bool drain(int& fd, std::string& buffer)
{
    char chunk[4096];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return true;
    if (n <= 0) {
        closeFd(fd);
        return false;
    }
    buffer.append(chunk, static_cast<std::size_t>(n));
    return true;
}

} // namespace

Child::Child(const ChildOptions& options)
{
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return;
    std::vector<char*> argv, env;
    for (const std::string& a : options.argv)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : options.env)
        env.push_back(const_cast<char*>(e.c_str()));
    env.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(in, 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        if (!options.workDir.empty() && ::chdir(options.workDir.c_str()) != 0)
            ::_exit(125);
        if (options.unprivileged && ::geteuid() == 0) {
            const gid_t nobody = 65534;
            if (::setgroups(1, &nobody) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
                ::_exit(126);
        }
        ::execve(argv[0], argv.data(), env.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
}

Child::~Child()
{
    if (pid_ > 0 && !reaped_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    closeFd(out_);
    closeFd(err_);
}

bool Child::pump(int timeoutMs)
{
    if (out_ < 0 && err_ < 0)
        return false;
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    const int ready = ::poll(fds, 2, timeoutMs);
    if (ready == 0 && timeoutMs == 0)
        return true;
    if (ready == 0) {
        silentTooLong_ = true;
        ::kill(pid_, SIGKILL);
        closeFd(out_);
        closeFd(err_);
        return false;
    }
    if (ready < 0)
        return errno == EINTR;
    if (fds[0].revents != 0)
        drain(out_, outBuffer_);
    if (fds[1].revents != 0)
        drain(err_, errBuffer_);
    return true;
}

std::optional<std::string> Child::takeLine()
{
    const auto lf = outBuffer_.find('\n');
    if (lf == std::string::npos)
        return std::nullopt;
    std::string line = outBuffer_.substr(0, lf);
    outBuffer_.erase(0, lf + 1);
    return line;
}

std::optional<std::string> Child::readLine()
{
    for (;;) {
        if (auto line = takeLine())
            return line;
        if (out_ < 0 || !pump())
            return std::nullopt;
    }
}

std::optional<std::string> Child::lineWritten()
{
    if (auto line = takeLine())
        return line;
    if (out_ >= 0)
        pump(0);
    return takeLine();
}

void Child::reap(int options)
{
    if (reaped_ || pid_ <= 0)
        return;
    int status = 0;
    pid_t got;
    while ((got = ::waitpid(pid_, &status, options)) < 0 && errno == EINTR) {
    }
    if (got != pid_)
        return;
    reaped_ = true;
    end_.exited = WIFEXITED(status);
    end_.code = end_.exited ? WEXITSTATUS(status) : WTERMSIG(status);
}

bool Child::ended()
{
    reap(WNOHANG);
    return reaped_;
}

void Child::kill()
{
    if (pid_ > 0 && !reaped_)
        ::kill(pid_, SIGKILL);
}

Child::End Child::wait()
{
    while (pump()) {
    }
    reap(0);
    end_.silentTooLong = silentTooLong_;
    end_.out += std::move(outBuffer_);
    end_.err += std::move(errBuffer_);
    outBuffer_.clear();
    errBuffer_.clear();
    return end_;
}

void spin(long n)
{
    [[maybe_unused]] volatile long sink = 0;
    for (long i = 0; i < n; ++i)
        sink = i;
}
