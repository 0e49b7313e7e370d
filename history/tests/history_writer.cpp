// Stores runs through the history the way the program does, for tests that
// kill it, starve it of disk space or take away its right to write. The
// history is the one the environment names (KSIL_HISTORY_FILE, KSIL_HISTORY_PG).
//
//   history_writer kill FIRST  stores numbered runs FIRST, FIRST+1, ... for ever,
//                              writing "n" after each has been stored
//   history_writer send        sends the waiting runs: "sent N waiting M"
//   history_writer once        stores one run, then lists the runs:
//                              "stored" or "error CODE MESSAGE", then "listed N" or "error CODE MESSAGE"
//   history_writer fill        stores runs until one fails: "full N CODE MESSAGE" (N stored);
//                              then "whole W of T": W of the T runs it then holds are whole
// Ends with 1 when a store fails in kill mode.
#include "history/tests/samples.h"

#include "history/history.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

using namespace history;

bool say(const std::string& text)
{
    const std::string line = text + "\n";
    return ::write(1, line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

std::string failure(const Status& s) { return "error " + std::to_string(static_cast<int>(s.code)) + " " + s.message; }

// "whole W of T": of the T runs the history lists, W are whole.
std::string wholeRuns(History& h)
{
    const auto list = h.listRuns({}, History::Source::Local);
    int whole = 0;
    for (const auto& e : list.value) {
        const auto run = h.loadRun(e.info.id, History::Source::Local);
        whole += run.ok() && test::numberOf(run.value).has_value();
    }
    return "whole " + std::to_string(whole) + " of " + std::to_string(list.value.size());
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    History h;
    const Status opened = h.open();
    if (mode == "kill" && argc == 3) {
        if (!opened.ok() && !h.hasServer())
            return say(failure(opened)), 1;
        for (long n = std::strtol(argv[2], nullptr, 10);; ++n) {
            const auto stored = h.store(test::numberedRun(n));
            if (!stored.status.ok() || !stored.warning.empty())
                return say(failure(stored.status.ok() ? Status::failure(Code::Failed, stored.warning) : stored.status)), 1;
            if (!say(std::to_string(n)))
                return 1;
        }
    }
    if (mode == "send") {
        const auto sent = h.sendWaiting();
        say("sent " + std::to_string(sent.sent) + " waiting " + std::to_string(sent.waiting));
        return sent.status.ok() ? 0 : (say(failure(sent.status)), 1);
    }
    if (mode == "once") {
        const auto stored = h.store(test::numberedRun(1));
        say(stored.status.ok() ? std::string("stored") : failure(stored.status));
        History reader;
        const auto config = configFromEnvironment();
        const Status s = reader.openToRead(config.value);
        const auto list = reader.listRuns({}, History::Source::Local);
        say(!s.ok() ? failure(s) : list.ok() ? "listed " + std::to_string(list.value.size()) : failure(list.status));
        return 0;
    }
    if (mode == "fill") {
        if (!opened.ok())
            return say(failure(opened)), 1;
        for (long n = 1;; ++n) {
            const auto stored = h.store(test::numberedRun(n));
            if (!stored.status.ok()) {
                say("full " + std::to_string(n - 1) + " " + std::to_string(static_cast<int>(stored.status.code)) +
                    " " + stored.status.message);
                break;
            }
        }
        History again;
        const Status s = again.open();
        say(s.ok() ? wholeRuns(again) : failure(s));
        return 0;
    }
    std::fprintf(stderr, "usage: history_writer kill FIRST | send | once | fill\n");
    return 2;
}
