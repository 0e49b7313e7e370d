// The operator flows of the fault matrix, a run of one of them with at most
// one failing driver call, and the judge of such a run against the fault-free one.
#pragma once

#include "sim/bench.h"

#include <map>
#include <ostream>
#include <optional>
#include <string>
#include <vector>

namespace faults {

// Statuses no stand-in produces by itself, so their messages are unmistakable.
inline constexpr ViStatus kNegative = static_cast<ViStatus>(0xBFFA0FEEu);
inline constexpr ViStatus kPositive = static_cast<ViStatus>(0x3FFA0FEEu);

// A driver call of the flow: its entry point, which call of that entry point
// it is since the bench was loaded, and its journal line.
struct Call {
    std::string entry;
    int ordinal = 0;
    std::string line;
    bool inScan = false;  // made by a discovery scan, which lists what answers and passes over the rest
    bool retried = false; // the flow's next driver call repeats it
};

struct Fault {
    Call call;
    ViStatus status = 0;
};

struct Run; // one run of a flow on the bench, with its operator

struct Flow {
    const char* id;   // test name
    const char* name; // what the operator does
    // Brings the program to where the flow starts (never faulted); the start-up
    // flow has none, its start-up is the flow.
    void (*prepare)(Run&);
    // Queues the flow's actions and runs them.
    void (*act)(Run&);
};

const std::vector<Flow>& flows();
inline void PrintTo(const Flow& flow, std::ostream* os)
{
    *os << flow.name;
}

// What a run left behind.
struct Outcome {
    std::vector<std::string> findings;                      // stuck waits, refused actions, program faults
    std::vector<Call> calls;                                 // driver calls of the flow
    std::vector<std::string> shown;                          // status line, pop-ups, self-test text
    std::map<std::string, std::vector<std::string>> protocol; // protocol files and result rows, by name
    std::string module;                                      // the module open at the end, if any
    std::map<std::string, double> cellsBefore, cells;        // CP's table before and after, by cell
    std::map<std::string, std::string> flashBefore, flash;   // module flash files before and after
    std::vector<std::string> leaked;                         // open on the bench, held by nothing
    std::vector<std::string> stale;                          // held by the program, closed on the bench
};

Outcome run(const Flow& flow, const std::optional<Fault>& fault);

// What is wrong with the run of fault, judged against the fault-free baseline.
std::vector<std::string> judge(const Flow& flow, const Fault& fault, const Outcome& baseline, const Outcome& outcome);

// The calls to fail in turn: all of them, or every call of an entry point met
// for the first time plus an even sample of the rest.
std::vector<Call> sample(const std::vector<Call>& calls, bool all);

std::string describe(const Fault& fault);
std::string join(const std::vector<std::string>& lines, std::size_t limit = 0);

} // namespace faults
