// Files for the integrity tests: each test gets its own folder.
#pragma once

#include "tests/support/read_file.h"
#include "tests/support/temp_dir.h"
#include "VeltrCRC32/marker.h"

#include <functional>
#include <iterator>
#include <string>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

inline std::string marker()
{
    return std::string(crc::kMarker);
}

#if !defined(_WIN32)
// Runs check where files without read or write permission are refused: as an
// unprivileged user when the tests run as root (who is refused nothing). The
// permission tests are POSIX ones: Windows has no mode bits nor such users.
inline bool withoutPrivileges(const std::function<bool()>& check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool ok = ::setgid(65534) == 0 && ::setuid(65534) == 0 && check();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
#endif
