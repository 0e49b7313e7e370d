// A program run as a real child process: its standard output read line by
// line while it runs, its standard error collected, its end (exit code or
// signal) observed, and SIGKILL sent at a moment the test chooses.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

struct ChildOptions {
    std::vector<std::string> argv;    // argv[0] is the program's path
    std::vector<std::string> env;     // the whole environment, "NAME=value"
    bool unprivileged = false;        // run as nobody (uid and gid 65534) when started by root
    std::string workDir = {};         // its working folder; empty: the test's own
};

class Child {
public:
    explicit Child(const ChildOptions& options);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Next line of standard output without its line feed; nullopt at its end.
    // A child silent for the watchdog's time is killed (the test then fails on
    // what it finds, instead of hanging).
    std::optional<std::string> readLine();
    // A line already written, without waiting for one.
    std::optional<std::string> lineWritten();
    // True once the child has ended (does not wait).
    bool ended();
    void kill();

    struct End {
        bool exited = false;  // ended by exit; otherwise by a signal
        int code = 0;         // exit code, or the signal's number
        bool silentTooLong = false;
        std::string out;      // standard output not yet read by readLine
        std::string err;
    };
    // Waits for the end, collecting what the child still writes.
    End wait();

    static constexpr int kWatchdogSeconds = 60;

private:
    // Reads what is available on either pipe; false once both are closed or
    // the child stayed silent too long.
    bool pump(int timeoutMs = kWatchdogSeconds * 1000);
    std::optional<std::string> takeLine();
    void reap(int options);

    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    std::string outBuffer_, errBuffer_;
    bool silentTooLong_ = false;
    bool reaped_ = false;
    End end_;
};

// Busy work of n steps: a kill after it lands at a moment that depends on n,
// without reading a clock.
void spin(long n);
