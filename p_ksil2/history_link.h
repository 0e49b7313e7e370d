// The program's way to the history of runs. The history is opened on first
// use (start-up never waits for it) and closed at shutdown. A build without
// the history (no Qt SQL) answers every call with kNoHistory; nothing is
// stored there and nothing is pretended.
#pragma once

#include "history/query.h"
#include "history/record.h"
#include "history/status.h"

#include <string>
#include <vector>

namespace historylink {

inline constexpr const char* kNoHistory = "История запусков в этой сборке программы недоступна";

// True when this build keeps a history.
bool available();

struct Stored {
    history::Status status; // fails only when the run is stored nowhere
    std::string warning;    // one line to show when not empty (the server away, runs waiting)
};
// Stores a finished run, the station's host and user filled in; without an id it is given one.
Stored store(history::Run run);

// WRITE runs of the module that kept their as-found table, newest first.
history::Result<std::vector<history::RunInfo>> backups(const history::ModuleId& module);
// The as-found table of one of them.
history::Result<history::TableValues> backup(const std::string& runId);
// The module's calibrations, WRITEs and verifications (not its READs), newest first.
history::Result<std::vector<history::RunListEntry>> runs(const history::ModuleId& module);
history::Result<history::Run> run(const std::string& runId);

// Closes the history (the next call opens it again, from the environment as it is then).
void close();

} // namespace historylink
