// A full disk without a full disk: while the object lives, this process may
// not make any file larger than a given size (RLIMIT_FSIZE). A write across
// the limit writes what fits and the next one fails with EFBIG, as a write
// fails with ENOSPC on a full file system; SIGXFSZ, which would end the
// process, is ignored meanwhile.
#pragma once

#include <csignal>
#include <cstddef>

#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::size_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { lift(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active() const { return active_; }
    // The disk has room again.
    void lift()
    {
        if (!active_)
            return;
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
        active_ = false;
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
    bool active_ = false;
};
